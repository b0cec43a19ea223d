#pragma once

#include <QWidget>

struct Services;

// The settings window: histories and item management.
class frmSettei : public QWidget
{
    Q_OBJECT
public:
    explicit frmSettei(Services &services, QWidget *parent = nullptr);

    void Form_Load();

private:
    Services &m_services;
};
