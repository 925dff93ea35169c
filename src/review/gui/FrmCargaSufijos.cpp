#include "review/gui/FrmCargaSufijos.h"

#include "controls/gui/ClCntrl.h"

#include "controls/gui/Ventana.h"
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

FrmCargaSufijos::FrmCargaSufijos(const std::vector<std::string>& lineas, const std::string& actual, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FrmCargaSufijos");
    Ventana::Recordar(this);
    setWindowTitle("Carga de Sufijos");
    setModal(true);

    auto* marco = new QGroupBox("Selecione una Opción", this);
    marco->setObjectName("FrmList");
    m_lstOpcion = new QListWidget(marco);
    m_lstOpcion->setObjectName("LstOpcion");
    m_lstOpcion->setMinimumSize(420, 220);
    for (const std::string& l : lineas)
        m_lstOpcion->addItem(QString::fromStdString(l));
    auto* lm = new QVBoxLayout(marco);
    lm->addWidget(m_lstOpcion);

    auto* ayuda = new QLabel("[ENTER] Elegir -  [ESC]  Salir", this);
    ayuda->setStyleSheet("color: palette(dark);");
    auto* l = new QVBoxLayout(this);
    l->addWidget(marco, 1);
    l->addWidget(ayuda);

    m_ctl = new ClCntrl(this);
    m_ctl->sLinkListBox(m_lstOpcion);
    if (!actual.empty())
        m_ctl->LstBuscarStr(QString::fromStdString(actual));
    m_lstOpcion->installEventFilter(this);
    connect(m_lstOpcion, &QListWidget::itemDoubleClicked, this, [this] { Elegir(); });
}

void FrmCargaSufijos::showEvent(QShowEvent* evento) {
    // Nothing pre-selected: the first line, so Enter always takes one.
    if (m_lstOpcion->count() > 0 && !m_lstOpcion->currentItem())
        m_lstOpcion->setCurrentRow(0);
    m_lstOpcion->setFocus();
    QDialog::showEvent(evento);
}

bool FrmCargaSufijos::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_lstOpcion && evento->type() == QEvent::KeyPress) {
        int k = static_cast<QKeyEvent*>(evento)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            Elegir();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void FrmCargaSufijos::Elegir() {
    if (QListWidgetItem* i = m_lstOpcion->currentItem()) {
        m_eleccion = i->text().toStdString();
        accept();
    }
}
