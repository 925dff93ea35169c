#include "import/gui/frmPreguntaICRX.h"

#include "controls/gui/Ventana.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmPreguntaICRX::frmPreguntaICRX(QWidget* parent) : QDialog(parent) {
    setObjectName("frmPreguntaICRX");
    Ventana::Recordar(this);
    setWindowTitle(" ");
    setModal(true);

    auto* pregunta = new QLabel("PROCESAR COMO:", this);
    pregunta->setObjectName("Label1");
    QFont f = pregunta->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    pregunta->setFont(f);
    pregunta->setAlignment(Qt::AlignCenter);

    auto* icr1 = new QPushButton("ICR1", this);
    icr1->setObjectName("cmdICR1");
    auto* icr2 = new QPushButton("ICR2", this);
    icr2->setObjectName("cmdICR2");
    for (QPushButton* b : {icr1, icr2}) {
        b->setMinimumSize(110, 40);
        b->setAutoDefault(true); // Enter answers with the focused button
        connect(b, &QPushButton::clicked, this, [this, b] { Elegir(b); });
    }

    auto* botones = new QHBoxLayout;
    botones->addWidget(icr1);
    botones->addWidget(icr2);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(24, 20, 24, 20);
    l->setSpacing(16);
    l->addWidget(pregunta);
    l->addLayout(botones);
    setFixedSize(sizeHint());
}

void frmPreguntaICRX::Elegir(QPushButton* boton) {
    m_respuesta = boton->text().toStdString();
    accept();
}
