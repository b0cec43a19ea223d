#include "frmsettei.h"

#include "services.h"

frmSettei::frmSettei(Services &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
{ }

void frmSettei::Form_Load() { }
