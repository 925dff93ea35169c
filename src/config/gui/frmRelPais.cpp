#include "config/gui/frmRelPais.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "controls/gui/ClCntrl.h"
#include "platform/AppError.h"

#include "controls/gui/Ventana.h"
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

frmRelPais::frmRelPais(Aplicacion& app, QWidget* parent, bool porImportacion)
    : QDialog(parent), m_app(app), m_porImportacion(porImportacion), m_form(app) {
    setObjectName("frmRelPais");
    Ventana::Recordar(this);
    setWindowTitle("Establecer Pais");
    setModal(true);

    auto* lbValor = new QLabel("Valor origen", this);
    lbValor->setObjectName("Label1");
    m_txtValor = new QLineEdit(this);
    m_txtValor->setObjectName("txtValor");
    auto* lbPais = new QLabel("Pais - Sistema Maria", this);
    lbPais->setObjectName("Label3");
    m_cboPais = new QComboBox(this);
    m_cboPais->setObjectName("cboPais");
    m_cboPais->setMinimumWidth(300);
    m_cboPais->setMaxVisibleItems(20);
    // The identifiers at the same positions as the descriptions; never shown.
    m_cboidPais = new QComboBox(this);
    m_cboidPais->setObjectName("cboidPais");
    m_cboidPais->setVisible(false);
    auto* lbESM = new QLabel("Estado de Mercaderia", this);
    lbESM->setObjectName("Label2");
    m_txtESM = new QLineEdit(this);
    m_txtESM->setObjectName("txtESM");
    auto* ayuda = new QLabel("[F11] Seleccionar [ESC] Salir", this);
    ayuda->setObjectName("Label4");
    ayuda->setAlignment(Qt::AlignCenter);
    ayuda->setStyleSheet("color: palette(dark); padding-top: 6px;");
    lbValor->setBuddy(m_txtValor);
    lbPais->setBuddy(m_cboPais);
    lbESM->setBuddy(m_txtESM);

    for (QLineEdit* t : {m_txtValor, m_txtESM}) {
        auto* c = new ClCntrl(this);
        c->sLinkText(t);
    }
    m_ctlPais = new ClCntrl(this);
    m_ctlPais->sLinkCBoBox(m_cboPais);
    // Typing in the country box searches the names as ClCntrl does (without
    // regard to case or accents), not by the combo's own exact-letter search.
    m_cboPais->installEventFilter(this);
    m_tecleo.invalidate();

    auto* g = new QGridLayout;
    g->addWidget(lbValor, 0, 0);
    g->addWidget(m_txtValor, 0, 1);
    g->addWidget(lbPais, 1, 0);
    g->addWidget(m_cboPais, 1, 1);
    g->addWidget(lbESM, 2, 0);
    g->addWidget(m_txtESM, 2, 1);
    g->setColumnStretch(1, 1);
    g->setHorizontalSpacing(12);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(18, 16, 18, 12);
    l->addLayout(g);
    l->addWidget(ayuda);

    m_form.Form_Load();
    m_txtValor->setText(QString::fromStdString(m_form.txtValor));
    for (size_t i = 0; i < m_form.cboPais.size(); ++i) {
        m_cboPais->addItem(QString::fromStdString(m_form.cboPais[i]));
        m_cboidPais->addItem(QString::fromStdString(m_form.cboidPais[i]));
    }
    m_cboPais->setPlaceholderText("(escriba el nombre del país)");
    m_cboPais->setCurrentIndex(m_form.seleccion);
    connect(m_cboPais, &QComboBox::currentIndexChanged, m_cboidPais, &QComboBox::setCurrentIndex);
    m_cboidPais->setCurrentIndex(m_cboPais->currentIndex());
    // The code comes from the file: the person starts at the country.
    (m_form.txtValor.empty() ? static_cast<QWidget*>(m_txtValor) : m_cboPais)->setFocus();
}

bool frmRelPais::f_Grabar() {
    try {
        if (!m_form.f_Grabar(m_txtValor->text().toStdString(), m_cboPais->currentIndex(),
                             m_txtESM->text().toStdString()))
            return false;
    } catch (...) {
        AppError e = AppError::Actual();
        m_app.Op->MsgBox(e.Mensaje() + " - seccion [Ostrevan.frmRelPais.f_Grabar]", Operador::Icono::Critico);
        return false;
    }
    QDialog::accept();
    return true;
}

void frmRelPais::reject() {
    // The import reopens the dialog until a relation is saved; this is its way out.
    if (m_porImportacion && m_app.Op &&
        m_app.Op->Preguntar(Operador::Preguntas::CancelarImportacion, "¿Cancelar la importación?"))
        m_cancelada = true;
    m_form.Salir();
    QDialog::reject();
}

bool frmRelPais::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_cboPais && evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        const QString texto = k->text();
        const bool letra =
            !texto.isEmpty() && texto.at(0).isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (letra || (k->key() == Qt::Key_Backspace && !m_buscado.isEmpty())) {
            // Letters typed within a second of each other make one search text.
            if (!m_tecleo.isValid() || m_tecleo.elapsed() > 1000)
                m_buscado.clear();
            m_tecleo.start();
            if (letra)
                m_buscado += texto;
            else
                m_buscado.chop(1);
            // All the letters taken back: no country, as at the start.
            if (m_buscado.isEmpty())
                m_cboPais->setCurrentIndex(-1);
            else
                m_ctlPais->BuscarCBO(m_buscado);
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmRelPais::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_F11) {
        f_Grabar();
        return;
    }
    // Enter moves between fields (ClCntrl); it never closes the dialog.
    if (evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(evento);
}
