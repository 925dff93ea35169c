#include "app/gui/frmPrimerInicio.h"

#include "app/Arranque.h"
#include "app/Demo.h"
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Bitacora.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

frmPrimerInicio::frmPrimerInicio(const std::string& home, const std::vector<std::string>& faltan, QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmPrimerInicio");
    setWindowTitle("Velmarion - Primer inicio");
    setWindowIcon(QIcon::fromTheme("velmarion"));

    QString lista;
    for (const std::string& f : faltan)
        lista += "<li>" + Q(f).toHtmlEscaped() + "</li>";
    auto* texto = new QLabel(this);
    texto->setObjectName("lbFaltan");
    texto->setTextFormat(Qt::RichText);
    texto->setWordWrap(true);
    texto->setTextInteractionFlags(Qt::TextSelectableByMouse);
    texto->setText("<p><b>No se encontraron las bases de datos.</b></p>"
                   "<p>Carpeta del programa:<br><tt>" +
                   Q(home).toHtmlEscaped() + "</tt></p><p>Faltan:</p><ul>" + lista +
                   "</ul><p>Puede crearlas en esta carpeta, vacías o con los datos de demostración "
                   "(nomenclador, sufijos, unidades, países, un catálogo de ejemplo y la configuración), "
                   "o elegir otra carpeta que ya las tenga.</p>");
    auto* icono = new QLabel(this);
    icono->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    icono->setAlignment(Qt::AlignTop);

    auto boton = [this](const char* nombre, const QString& texto, Eleccion e) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(true); // Enter presses the focused button, never another
        connect(b, &QPushButton::clicked, this, [this, e] { Elegir(e); });
        return b;
    };
    QPushButton* vacias = boton("cmdCrearVacias", "Crear bases &vacías", Eleccion::Vacias);
    QPushButton* demo = boton("cmdCrearDemo", "Crear con datos de &demostración", Eleccion::Demo);
    QPushButton* otra = boton("cmdOtraCarpeta", "Elegir &otra carpeta...", Eleccion::OtraCarpeta);
    QPushButton* salir = boton("cmdSalir", "&Salir", Eleccion::Salir);
    vacias->setDefault(true);

    auto* arriba = new QHBoxLayout;
    arriba->addWidget(icono);
    arriba->addWidget(texto, 1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(vacias);
    botones->addWidget(demo);
    botones->addWidget(otra);
    botones->addStretch(1);
    botones->addWidget(salir);
    auto* l = new QVBoxLayout(this);
    l->addLayout(arriba);
    l->addLayout(botones);
    setMinimumWidth(620);
}

void frmPrimerInicio::Elegir(Eleccion e) {
    m_eleccion = e;
    if (e == Eleccion::Salir)
        reject();
    else
        accept();
}

bool frmPrimerInicio::Resolver(Aplicacion& app, Operador& op, QWidget* parent) {
    for (;;) {
        const std::vector<std::string> faltan = Arranque::BasesFaltantes(app.Home);
        if (faltan.empty())
            return true;
        frmPrimerInicio d(app.Home, faltan, parent);
        d.exec(); // closing the window is quitting
        switch (d.eleccion()) {
        case Eleccion::Salir:
            return false;
        case Eleccion::OtraCarpeta: {
            QString carpeta =
                QFileDialog::getExistingDirectory(parent, "Carpeta del programa (con las bases en db/)", Q(app.Home));
            if (!carpeta.isEmpty())
                app.Home = carpeta.toStdString();
            break;
        }
        case Eleccion::Vacias:
        case Eleccion::Demo: {
            const bool conDemo = d.eleccion() == Eleccion::Demo;
            const double inicio = Bitacora::Ahora();
            try {
                op.PunteroEspera(true);
                Demo::CrearBases(app.Home, conDemo, *app.Almacen, Arranque::CarpetaDatos());
                op.PunteroEspera(false);
                Bitacora::Registrar(app.Home, "", "inicio",
                                    conDemo ? "hecho: bases con datos de demostración" : "hecho: bases vacías",
                                    Bitacora::Ahora() - inicio);
            } catch (...) {
                op.PunteroEspera(false);
                AppError e = AppError::Actual();
                Bitacora::Registrar(app.Home, "", "inicio", "fallido: " + e.Description, Bitacora::Ahora() - inicio);
                op.MsgBox("No se pudieron crear las bases de datos en " + app.Home + ".\r\n\r\n" + e.Mensaje() + " - " +
                              e.Source,
                          Operador::Icono::Critico);
            }
            break;
        }
        }
    }
}
