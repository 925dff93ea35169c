#include "app/gui/Dialogos.h"

#include "config/gui/frmRelPais.h"
#include "controls/gui/OperadorQt.h"
#include "import/gui/frmPreguntaICRX.h"
#include "review/gui/FrmCargaSufijos.h"

void EntregarDialogos(OperadorQt& op) {
    OperadorQt::Dialogos d;
    d.CargaSufijos = [](const std::vector<std::string>& lineas, const std::string& actual, QWidget* duenio) {
        FrmCargaSufijos f(lineas, actual, duenio);
        f.exec();
        return f.Eleccion();
    };
    d.Tipo = [](QWidget* duenio) {
        frmPreguntaICRX f(duenio);
        f.exec();
        return f.Respuesta();
    };
    d.RelPais = [](Aplicacion& app, QWidget* duenio, bool porImportacion) {
        frmRelPais f(app, duenio, porImportacion);
        f.exec();
        return f.ImportacionCancelada();
    };
    op.EnlazarDialogos(std::move(d));
}
