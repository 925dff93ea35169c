#include "import/gui/frmInterno.h"

#include "comun/Aplicacion.h"
#include "controls/gui/ClCntrl.h"
#include "controls/gui/OperadorQt.h"
#include "import/Importacion.h"
#include "platform/AppError.h"
#include "platform/Texto.h"

#include "controls/gui/Ventana.h"
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

frmInterno::frmInterno(Aplicacion& app, OperadorQt& op, QWidget* parent) : QDialog(parent), m_app(app), m_op(op) {
    setObjectName("frmInterno");
    Ventana::Recordar(this);
    setWindowTitle(" ");
    setModal(true);

    auto* titulo = new QLabel("NUEVO INTERNO", this);
    titulo->setObjectName("Label5");
    QFont f = titulo->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.8);
    titulo->setFont(f);

    auto* lbArchivo = new QLabel("Archivo", this);
    lbArchivo->setObjectName("Label4");
    m_txtArchivo = new QLineEdit(this);
    m_txtArchivo->setObjectName("txtArchivo");
    m_txtArchivo->setProperty("Tag", "#F6");
    m_txtArchivo->setMinimumWidth(380);
    m_txtArchivo->installEventFilter(this);
    lbArchivo->setBuddy(m_txtArchivo);
    m_ctlArchivo = new ClCntrl(this);
    m_ctlArchivo->sLinkText(m_txtArchivo);
    m_cmdExaminar = new QPushButton("[F6] Examinar", this);
    m_cmdExaminar->setObjectName("cmdExaminar");

    auto* lbH = new QLabel("Registros H:", this);
    lbH->setObjectName("Label2");
    m_lbH = new QLabel(this);
    m_lbH->setObjectName("lbTotalRegistrosH");
    auto* lbP = new QLabel("Registros P:", this);
    lbP->setObjectName("Label1");
    m_lbP = new QLabel(this);
    m_lbP->setObjectName("lbTotalRegistrosP");
    for (QLabel* c : {m_lbH, m_lbP}) {
        c->setMinimumWidth(80);
        c->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont fc = c->font();
        fc.setBold(true);
        c->setFont(fc);
    }

    // How much of the file has been read, while the import runs.
    m_prbArchivo = new QProgressBar(this);
    m_prbArchivo->setObjectName("prbArchivo");
    m_prbArchivo->setRange(0, 1000);
    m_prbArchivo->setValue(0);
    m_prbArchivo->setFormat("%p %");

    m_cmdAceptar = new QPushButton("Aceptar", this);
    m_cmdAceptar->setObjectName("cmdAceptar");
    m_cmdAceptar->setDefault(true);
    m_command2 = new QPushButton("Cancelar", this);
    m_command2->setObjectName("Command2");

    auto* linea = new QFrame(this);
    linea->setFrameShape(QFrame::HLine);
    linea->setFrameShadow(QFrame::Sunken);

    auto* archivo = new QHBoxLayout;
    archivo->addWidget(m_txtArchivo, 1);
    archivo->addWidget(m_cmdExaminar);

    auto* contadores = new QGridLayout;
    contadores->addWidget(lbH, 0, 0);
    contadores->addWidget(m_lbH, 0, 1);
    contadores->addWidget(lbP, 1, 0);
    contadores->addWidget(m_lbP, 1, 1);
    contadores->setColumnStretch(2, 1);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(m_cmdAceptar);
    botones->addWidget(m_command2);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(20, 16, 20, 16);
    l->addWidget(titulo);
    l->addSpacing(8);
    l->addWidget(lbArchivo);
    l->addLayout(archivo);
    l->addSpacing(6);
    l->addLayout(contadores);
    l->addWidget(m_prbArchivo);
    l->addWidget(linea);
    l->addLayout(botones);

    connect(m_cmdExaminar, &QPushButton::clicked, this, &frmInterno::cmdExaminar_Click);
    connect(m_cmdAceptar, &QPushButton::clicked, this, &frmInterno::cmdAceptar_Click);
    connect(m_command2, &QPushButton::clicked, this, &frmInterno::Command2_Click);
}

bool frmInterno::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_txtArchivo && evento->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(evento)->key() == Qt::Key_F6) {
        cmdExaminar_Click();
        return true;
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmInterno::cmdExaminar_Click() {
    if (m_enCurso)
        return;
    try {
        std::string ruta = m_op.ElegirArchivo("Abrir archivo Tarvelo", "Archivos de texto (*.txt *.TXT)", false, "");
        if (!ruta.empty())
            m_txtArchivo->setText(QString::fromStdString(ruta));
    } catch (...) {
        // Nothing above a click handler catches: the message is shown here.
        AppError e = AppError::Actual().Relanzar(-2036030393,
                                                 "seccion cmdExaminar_Click de Formulario frmInterno:: ", " nro: 1");
        m_app.Op->MsgBox(e.Mensaje() + " - " + e.Source, Operador::Icono::Critico);
    }
}

void frmInterno::Habilitar(bool habilitado) {
    m_cmdAceptar->setEnabled(habilitado);
    // "Cancelar" stays: during the run it stops the import.
    m_command2->setEnabled(true);
    m_command2->setText("Cancelar");
    m_cmdExaminar->setEnabled(habilitado);
    m_txtArchivo->setReadOnly(!habilitado);
}

void frmInterno::cmdAceptar_Click() {
    if (m_enCurso || Trim(m_txtArchivo->text().toStdString()).empty())
        return;
    const std::string ruta = m_app.ArchivoLinea.empty() ? m_txtArchivo->text().toStdString() : m_app.ArchivoLinea;
    m_lbH->clear();
    m_lbP->clear();
    m_prbArchivo->setValue(0);
    m_op.EnlazarContadores(m_lbH, m_lbP, m_prbArchivo);
    m_enCurso = true;
    Habilitar(false);
    bool ok = false;
    try {
        ok = Importacion::ProcesarArchivo(m_app, ruta);
    } catch (...) {
        AppError e = AppError::Actual();
        m_app.Op->MsgBox(e.Mensaje() + " - " + e.Source);
    }
    m_enCurso = false;
    Habilitar(true);
    m_op.EnlazarContadores(nullptr, nullptr);
    if (ok)
        accept();
}

void frmInterno::reject() {
    // Esc, "Cancelar" or the close box while importing stop the run, which
    // rolls its work back; the dialog stays for another try.
    if (!m_enCurso) {
        QDialog::reject();
        return;
    }
    m_op.PedirCancelacion();
    m_command2->setText("Cancelando...");
    m_command2->setEnabled(false);
}
