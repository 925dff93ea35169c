// The windows' first start on a home without databases.
#include "Ventanas.h"
#include "app/Arranque.h"
#include "app/gui/frmPrimerInicio.h"
#include "comun/Aplicacion.h"
#include "platform/Bitacora.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(PrimerInicio, CreaLasBasesOSaleSinTocarNada) {
    struct Caso {
        const char* boton; // nullptr: the window closed
        bool sigue;        // the start-up goes on
        bool conDemo;      // the reference data is there afterwards
    } casos[] = {
        {"cmdSalir", false, false},
        {nullptr, false, false},
        {"cmdCrearVacias", true, false},
        {"cmdCrearDemo", true, true},
    };
    for (const Caso& c : casos) {
        const fs::path home = fs::temp_directory_path() / ("velmarion-primer-" + std::to_string(::getpid())) / "casa";
        fs::remove_all(home.parent_path());
        OperadorVentanas op;
        Aplicacion app;
        app.Home = home.string();
        app.Almacen = std::make_unique<AlmacenAjustes>((home.parent_path() / "ajustes.ini").string());
        app.Op = &op;
        std::string texto;
        CuandoAparezca<frmPrimerInicio>([&](frmPrimerInicio* d) {
            texto = d->findChild<QLabel*>("lbFaltan")->text().toStdString();
            if (c.boton)
                QTest::mouseClick(d->findChild<QPushButton*>(c.boton), Qt::LeftButton);
            else
                d->close();
        });
        const std::string nombre = c.boton ? c.boton : "cerrar";
        EXPECT_EQ(frmPrimerInicio::Resolver(app, op), c.sigue) << nombre;
        // The dialog names the folder and both missing files.
        EXPECT_NE(texto.find(home.string()), std::string::npos) << texto;
        EXPECT_NE(texto.find("Corvex.db"), std::string::npos) << texto;
        EXPECT_TRUE(op.Mensajes().empty()) << op.Mensajes().front().Texto;
        EXPECT_EQ(Arranque::BasesFaltantes(app.Home).empty(), c.sigue) << nombre;
        if (c.sigue) {
            // The start-up that follows opens them, with the demo settings when asked for.
            Arranque::Form_Load(app, "");
            EXPECT_EQ(app.Config.ORIGEN.empty(), !c.conDemo) << nombre;
            std::ifstream log(Bitacora::Ruta(app.Home));
            std::string linea;
            std::getline(log, linea);
            EXPECT_NE(linea.find("\t-\tinicio\thecho: bases"), std::string::npos) << linea;
        } else {
            EXPECT_FALSE(fs::exists(home)) << nombre; // quitting leaves nothing behind
        }
        fs::remove_all(home.parent_path());
    }
}
