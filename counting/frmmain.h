#pragma once

#include <QWidget>

struct Services;

// The counting window: runs one round over the items.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(Services &services, QWidget *parent = nullptr);

    void Form_Load();

private:
    Services &m_services;
};
