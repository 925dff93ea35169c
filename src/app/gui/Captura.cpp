#include "app/gui/Captura.h"

#include "app/gui/frmMain.h"
#include "comun/Aplicacion.h"
#include "config/gui/frmConfig.h"
#include "config/gui/frmRelPais.h"
#include "controls/gui/OperadorQt.h"
#include "import/gui/frmInterno.h"
#include "reports/Informe.h"
#include "reports/gui/frmReporte.h"
#include "review/gui/FrmCargaSufijos.h"
#include "review/gui/FrmPosicion.h"
#include "review/gui/frmDEP.h"
#include "review/gui/frmModificar.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTableView>
#include <QTreeWidget>

#include <filesystem>
#include <iostream>

namespace {

void Asentar() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

bool Guardar(QWidget& w, const QString& archivo) {
    w.show();
    w.raise();
    Asentar();
    bool ok = w.grab().save(archivo, "PNG");
    std::cerr << (ok ? "guardada " : "no se pudo guardar ") << archivo.toStdString() << "\n";
    return ok;
}

std::string PrimerEnvio(const std::string& home) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(home, ec))
        if (e.path().extension() == ".txt")
            return e.path().string();
    return (std::filesystem::path(home) / "envio.txt").string();
}

} // namespace

int CapturarVentanas(frmMain& ventana, Aplicacion& app, const std::string& carpeta) {
    QDir().mkpath(QString::fromStdString(carpeta));
    const QString dir = QString::fromStdString(carpeta) + "/";
    int n = 0;
    if (app.Paso != 1)
        ventana.cmdVolver_Click();
    n += Guardar(ventana, dir + "paso1.png");

    {
        frmInterno d(app, ventana.operador(), &ventana);
        d.findChild<QLineEdit*>("txtArchivo")->setText(QString::fromStdString(PrimerEnvio(app.Home)));
        n += Guardar(d, dir + "importacion.png");
    }
    {
        frmConfig d(app, &ventana);
        n += Guardar(d, dir + "configuracion.png");
    }
    {
        app.Retorno1 = "XJP";
        frmRelPais d(app, &ventana);
        n += Guardar(d, dir + "relacion.png");
        app.Retorno1.clear();
    }

    if (!ventana.asistente().pantalla().Internos.empty()) {
        ventana.ElegirInterno();
        n += Guardar(ventana, dir + "paso3.png");

        // Depuration: the list of articles to depurate, the editor on its first
        // row and on one with a suggestion, the nomenclator search and the option picker.
        app.ModoDepuracion = 1;
        auto* lista = new frmDEP(app, ventana.operador(), &ventana);
        n += Guardar(*lista, dir + "depurar.png");
        if (lista->Filas() > 0) {
            QAbstractItemModel* m = lista->findChild<QTableView*>("lstDEP")->model();
            {
                frmModificar d(app, ventana.operador(), lista);
                d.Tag = m->index(0, 0).data().toString().toStdString();
                n += Guardar(d, dir + "modificar.png");
            }
            // The editor on the first row with a suggested position (the first row when none has one).
            int fila = 0;
            for (int i = 0; i < m->rowCount(); ++i)
                if (!m->index(i, 11).data().toString().isEmpty()) {
                    fila = i;
                    break;
                }
            frmModificar d(app, ventana.operador(), lista);
            d.Tag = m->index(fila, 0).data().toString().toStdString();
            n += Guardar(d, dir + "modificar-sugerencia.png");
        }
        {
            FrmPosicion d(*app.Entidades, ventana.operador(), &ventana);
            d.setBusqueda("8703.23");
            d.Buscar();
            if (auto* l = d.findChild<QListWidget*>("LstNCM"); l && l->count() > 0)
                d.MostrarDatos(l->item(0)->text());
            n += Guardar(d, dir + "posicion.png");
        }
        {
            FrmCargaSufijos d({"CA00 - Ninguna opción", "CA01 - NUEVO SIN USO", "CA02 - USADO"}, "CA01", &ventana);
            n += Guardar(d, dir + "sufijos.png");
        }
        lista->close();

        // The preview of the articles to depurate of that interno, first and last page.
        Reportes::Informe informe;
        if (Reportes::PrepararArticulos(app, false, informe, "Captura")) {
            frmReporte d(std::move(informe), *app.Op, &ventana);
            d.resize(1200, 860);
            n += Guardar(d, dir + "reporte-primera.png");
            d.IrAPagina(d.reporte().Paginas() - 1);
            n += Guardar(d, dir + "reporte-ultima.png");
        }
    } else {
        std::cerr << "no hay internos: falta la imagen del paso 3\n";
    }
    return n;
}
