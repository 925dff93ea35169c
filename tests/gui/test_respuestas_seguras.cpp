// What Enter does in the windows: a destructive question answers No, a
// focused button presses itself, and the relation dialog of an import lets the
// operator give the import up; Qt's own texts in Spanish.
#include "Entorno.h"
#include "Ventanas.h"
#include "config/gui/frmRelPais.h"
#include "global/modGlobal.h"
#include "import/gui/frmInterno.h"
#include "import/gui/frmPreguntaICRX.h"
#include "platform/Idioma.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

namespace {

struct RespuestasSeguras : ::testing::Test {
    EntornoPrueba e{true};
    OperadorVentanas op;
    void SetUp() override { e.App.Op = &op; }
};

TEST_F(RespuestasSeguras, EnterEnUnaPreguntaDestructivaRespondeNo) {
    using P = Operador::Preguntas;
    const char* ids[] = {P::EliminarInterno,  P::EliminarRelacion,    P::Reemplazar,       P::Cancelar,
                         P::Deshacer,         P::CancelarImportacion, P::DescartarCambios, P::ReemplazarCorrecciones,
                         P::ReplicarVehiculos};
    op.Mostrar = true; // the real box
    for (const char* id : ids) {
        QString defecto;
        CuandoAparezca<QMessageBox>([&](QMessageBox* box) {
            defecto = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_FALSE(op.Preguntar(id, "¿Seguro?")) << id;
        EXPECT_EQ(defecto, "&No") << id;
        EXPECT_EQ(op.Mensajes().back().Defecto, Operador::Respuesta::No) << id;
    }
    // Yes stays one deliberate click away.
    CuandoAparezca<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "&Sí")
                QTest::mouseClick(b, Qt::LeftButton);
    });
    EXPECT_TRUE(op.Preguntar(P::EliminarInterno, "¿Seguro?"));
}

TEST_F(RespuestasSeguras, EnterEnUnBotonConFocoPulsaEseBoton) {
    // The import dialog: Enter on "Cancelar" closes it, on "[F6] Examinar" asks
    // for the file; neither starts an import.
    {
        frmInterno d(e.App, op);
        d.show();
        d.findChild<QLineEdit*>("txtArchivo")->setText((e.Home / "no-existe.txt").c_str());
        op.SiguienteArchivo("/datos/envio.txt");
        QTest::keyClick(d.findChild<QPushButton*>("cmdExaminar"), Qt::Key_Return);
        EXPECT_EQ(d.findChild<QLineEdit*>("txtArchivo")->text(), "/datos/envio.txt");
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(d.findChild<QPushButton*>("Command2"), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_TRUE(op.Mensajes().empty()) << op.Textos().front(); // no import ran
    }
    // "PROCESAR COMO:": Enter answers with the focused button.
    for (const char* boton : {"cmdICR1", "cmdICR2"}) {
        CuandoAparezca<frmPreguntaICRX>(
            [&](frmPreguntaICRX* d) { QTest::keyClick(d->findChild<QPushButton*>(boton), Qt::Key_Return); });
        EXPECT_EQ("cmd" + op.PreguntarTipo(), boton);
    }
}

TEST_F(RespuestasSeguras, EscEnLaRelacionDeUnaImportacionPreguntaSiCancelarla) {
    struct Caso {
        Operador::Respuesta respuesta;
        int vistas; // times the dialog was shown
        bool cancelada;
    } casos[] = {{Operador::Respuesta::No, 2, false}, {Operador::Respuesta::Si, 1, true}};
    for (const Caso& c : casos) {
        op.OlvidarMensajes();
        int vistas = 0;
        std::function<void(frmRelPais*)> paso = [&](frmRelPais* d) {
            ++vistas;
            if (vistas == 1) {
                op.SiguienteRespuesta(c.respuesta);
                if (!c.cancelada)
                    CuandoAparezca<frmRelPais>(paso);
                QTest::keyClick(d, Qt::Key_Escape);
            } else {
                // Answered No: back again; this time the operator cancels.
                op.SiguienteRespuesta(Operador::Respuesta::Si);
                QTest::keyClick(d, Qt::Key_Escape);
            }
        };
        CuandoAparezca<frmRelPais>(paso);
        EXPECT_THROW(modGlobal::BuscarRelacionPais(e.App, "XJP"), Cancelacion);
        EXPECT_EQ(vistas, c.vistas);
        ASSERT_FALSE(op.Mensajes().empty());
        EXPECT_EQ(op.Mensajes().front().Texto, "¿Cancelar la importación?");
        EXPECT_EQ(op.Mensajes().front().Defecto, Operador::Respuesta::No);
        EXPECT_EQ(e.Valor("select count(*) from ORG where PAI = 'XJP'"), "0");
    }
    // Opened from the settings' list there is no import to cancel: Esc just closes.
    op.OlvidarMensajes();
    e.App.Retorno1.clear();
    CuandoAparezca<frmRelPais>([&](frmRelPais* d) { QTest::keyClick(d, Qt::Key_Escape); });
    op.MostrarRelPais(e.App);
    EXPECT_TRUE(op.Mensajes().empty());
}

TEST(Traducciones, LosTextosPropiosDeQtEnCastellano) {
    if (!InstalarTraduccionesQt())
        GTEST_SKIP() << "sin las traducciones de Qt (qt6-translations-l10n)";
    QDialogButtonBox caja(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(caja.button(QDialogButtonBox::Cancel)->text().remove('&'), "Cancelar");
    EXPECT_EQ(caja.button(QDialogButtonBox::Save)->text().remove('&'), "Guardar");
    // The other window tests expect Qt's texts as they come.
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

} // namespace
