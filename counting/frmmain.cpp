#include "frmmain.h"

#include "services.h"

frmMain::frmMain(Services &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
{ }

void frmMain::Form_Load() { }
