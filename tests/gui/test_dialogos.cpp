// The dialogs: import, type question, settings, country relation, and the
// operator's own message box.
#include "Entorno.h"
#include "Envio.h"
#include "Ventanas.h"
#include "config/gui/frmConfig.h"
#include "config/gui/frmRelPais.h"
#include "global/modGlobal.h"
#include "import/gui/frmInterno.h"
#include "import/gui/frmPreguntaICRX.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

struct Dialogos : ::testing::Test {
    EntornoPrueba e;
    OperadorVentanas op;
    void SetUp() override { e.App.Op = &op; }
};

template <class T = QWidget> T* Hijo(QWidget* w, const char* nombre) {
    T* c = w->findChild<T*>(nombre);
    EXPECT_NE(c, nullptr) << nombre;
    return c;
}

TEST_F(Dialogos, ImportacionBloqueaSusBotonesMientrasCorre) {
    frmInterno d(e.App, op);
    d.show();
    auto* aceptar = Hijo<QPushButton>(&d, "cmdAceptar");
    auto* cancelar = Hijo<QPushButton>(&d, "Command2");
    auto* archivo = Hijo<QLineEdit>(&d, "txtArchivo");

    // Nothing to import: nothing happens.
    archivo->setText("   ");
    QTest::mouseClick(aceptar, Qt::LeftButton);
    EXPECT_TRUE(op.Mensajes().empty());

    // Whatever the run says (here: a file that does not exist), it says it while
    // the dialog is locked, and Esc cannot close the dialog under it.
    archivo->setText((e.Home / "no-existe.txt").c_str());
    int durante = 0;
    op.AlMensaje = [&](const std::string&) {
        ++durante;
        EXPECT_TRUE(d.EnCurso());
        EXPECT_FALSE(aceptar->isEnabled());
        EXPECT_TRUE(cancelar->isEnabled()); // it stops the run
        d.reject();
        EXPECT_TRUE(d.isVisible());
    };
    QTest::mouseClick(aceptar, Qt::LeftButton);
    EXPECT_GE(durante, 1);
    op.AlMensaje = nullptr;
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(aceptar->isEnabled());
    EXPECT_TRUE(cancelar->isEnabled());
    EXPECT_EQ(cancelar->text(), "Cancelar");
    EXPECT_EQ(d.result(), QDialog::Rejected);

    QTest::mouseClick(cancelar, Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
}

TEST_F(Dialogos, ImportacionDetenidaNoEscribeNada) {
    e.App.Config.ORIGEN = "200";
    e.Trabajo("insert into ORG values ('AR1','320','1')");
    // An earlier import of the same interno, corrected since.
    e.Trabajo("insert into INTN values ('1001//01','1001//01')");
    e.Trabajo("insert into ART (INTNRO, ARTORD, ARTNRO, PRCEST, PRCCRC) values ('1001//01',1,'VIEJO','M','OK')");
    e.Trabajo("insert into ARTINS (INTNRO, IdReg, PARENTART) values ('1001//01',1,'VIEJO')");
    std::string texto = LineaH{}.Texto() + "\r\n";
    for (int i = 0; i < 300; ++i)
        texto += LineaP{}.Texto() + "\r\n";
    const std::string ruta = e.Archivo("envio.txt", texto).string();
    auto Volcado = [&] {
        std::string r;
        for (const char* t : {"INTN", "ART", "ARTINS"})
            r += e.Valor("select count(*) from " + std::string(t)) + " " +
                 e.Valor("select group_concat(INTNRO) from " + std::string(t)) + ";";
        return r + e.Valor("select group_concat(ARTNRO) from ART");
    };
    const std::string antes = Volcado();

    struct Caso {
        const char* como;
        std::function<void(frmInterno&)> detener;
    } casos[] = {
        {"Cancelar", [](frmInterno& d) { QTest::mouseClick(d.findChild<QPushButton*>("Command2"), Qt::LeftButton); }},
        {"Esc", [](frmInterno& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const Caso& c : casos) {
        frmInterno d(e.App, op);
        d.show();
        Hijo<QLineEdit>(&d, "txtArchivo")->setText(QString::fromStdString(ruta));
        op.OlvidarMensajes();
        // Yes to losing the corrections: the stop, not the question, must undo the import.
        op.SiguienteRespuesta(Operador::Respuesta::Si);
        // The run lets events through at once when it has not done so lately.
        QTest::qWait(80);
        // Pressed while the run lets the window's events through.
        bool detenido = false;
        QTimer::singleShot(0, &d, [&] {
            detenido = d.EnCurso();
            c.detener(d);
        });
        QTest::mouseClick(Hijo<QPushButton>(&d, "cmdAceptar"), Qt::LeftButton);
        EXPECT_TRUE(detenido) << c.como;
        ASSERT_EQ(op.Mensajes().size(), 2u) << c.como;
        EXPECT_NE(op.Textos()[0].find("corregidos a mano"), std::string::npos) << op.Textos()[0];
        EXPECT_NE(op.Textos()[1].find("La importación se deshizo"), std::string::npos) << op.Textos()[1];
        EXPECT_EQ(Volcado(), antes) << c.como;
        EXPECT_FALSE(e.App.Db.EnTransaccion());
        // The dialog stays for another try, its buttons back.
        EXPECT_TRUE(d.isVisible()) << c.como;
        EXPECT_FALSE(d.EnCurso());
        EXPECT_TRUE(Hijo<QPushButton>(&d, "cmdAceptar")->isEnabled());
        EXPECT_EQ(Hijo<QPushButton>(&d, "Command2")->text(), "Cancelar");
    }

    // Not stopped: the bar reaches the file's end and the interno is replaced.
    frmInterno d(e.App, op);
    d.show();
    Hijo<QLineEdit>(&d, "txtArchivo")->setText(QString::fromStdString(ruta));
    op.SiguienteRespuesta(Operador::Respuesta::Si);
    QTest::mouseClick(Hijo<QPushButton>(&d, "cmdAceptar"), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Hijo<QProgressBar>(&d, "prbArchivo")->value(), 1000);
    EXPECT_EQ(e.Valor("select count(*) from ART where ARTNRO = 'VIEJO'"), "0");
}

TEST_F(Dialogos, F6EligeElArchivoYCancelarNoLoCambia) {
    frmInterno d(e.App, op);
    d.show();
    auto* archivo = Hijo<QLineEdit>(&d, "txtArchivo");
    op.SiguienteArchivo("/datos/envio 1001.txt");
    QTest::keyClick(archivo, Qt::Key_F6);
    EXPECT_EQ(archivo->text(), "/datos/envio 1001.txt");
    op.SiguienteArchivo("");
    QTest::mouseClick(Hijo<QPushButton>(&d, "cmdExaminar"), Qt::LeftButton);
    EXPECT_EQ(archivo->text(), "/datos/envio 1001.txt");
    EXPECT_EQ(Hijo<QLabel>(&d, "Label5")->text(), "NUEVO INTERNO");
}

TEST_F(Dialogos, PreguntaDeTipo) {
    struct Caso {
        const char* boton; // nullptr: closed without a button
        const char* respuesta;
    } casos[] = {{"cmdICR1", "ICR1"}, {"cmdICR2", "ICR2"}, {nullptr, ""}};
    for (const Caso& c : casos) {
        CuandoAparezca<frmPreguntaICRX>([&](frmPreguntaICRX* d) {
            EXPECT_NE(d->findChild<QLabel*>("Label1"), nullptr);
            if (c.boton)
                QTest::mouseClick(d->findChild<QPushButton*>(c.boton), Qt::LeftButton);
            else
                d->close();
        });
        EXPECT_EQ(op.PreguntarTipo(), c.respuesta);
    }
}

TEST_F(Dialogos, RelacionSeRepiteHastaGuardar) {
    int vistas = 0;
    std::function<void(frmRelPais*)> paso = [&](frmRelPais* d) {
        ++vistas;
        EXPECT_EQ(d->windowTitle(), "Establecer Pais");
        EXPECT_EQ(Hijo<QLineEdit>(d, "txtValor")->text(), "XJP");
        if (vistas == 1) { // Esc: comes back
            CuandoAparezca<frmRelPais>(paso);
            QTest::keyClick(d, Qt::Key_Escape);
        } else if (vistas == 2) { // F11 without a goods status: message, stays open
            QTest::keyClick(d, Qt::Key_F11);
            EXPECT_EQ(op.Textos().back(), "El campo Estado de Mercaderia no puede estar vacio");
            EXPECT_TRUE(d->isVisible());
            auto* pais = Hijo<QComboBox>(d, "cboPais");
            // A country whose name holds a comma in the country list comes whole.
            pais->setCurrentIndex(pais->findText("BOLIVIA, ESTADO PLURINACIONAL DE (202)"));
            Hijo<QLineEdit>(d, "txtESM")->setText("E ");
            QTest::keyClick(Hijo<QLineEdit>(d, "txtESM"), Qt::Key_F11);
            if (d->isVisible()) { // not saved: end the loop with any country
                ADD_FAILURE() << op.Textos().back();
                pais->setCurrentIndex(0);
                QTest::keyClick(d, Qt::Key_F11);
            }
        }
    };
    CuandoAparezca<frmRelPais>(paso);
    auto r = modGlobal::BuscarRelacionPais(e.App, "XJP");
    EXPECT_EQ(vistas, 2);
    EXPECT_EQ(r.first, "202");
    EXPECT_EQ(r.second, "E ");
    EXPECT_EQ(e.Valor("select ORI || '/' || ESM from ORG where PAI = 'XJP'"), "202/E");
}

TEST_F(Dialogos, ConfiguracionEscGuardaSoloConOrigen) {
    e.EnAduana("insert into catalogo (idcatalogo, descripcion) values ('5','Beta'),('2','Alfa')");
    e.EnAduana("insert into unidades (id, descripcion) values ('07','UNIDAD')");
    e.Trabajo("insert into ORG (PAI, ORI, ESM) values ('JPN','323','E')");
    frmConfig d(e.App);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Configuración");
    EXPECT_EQ(Hijo<QComboBox>(&d, "cboCatalogo")->itemText(0), "[2] Alfa");
    EXPECT_EQ(Hijo<QAbstractButton>(&d, "chkModeloyVariantesinespacio")->text(),
              "Modelo y Variante sin espacios (Q&&R)");
    auto* rel = Hijo<QTreeWidget>(&d, "lstRELPAIS");
    ASSERT_EQ(rel->topLevelItemCount(), 1);
    EXPECT_EQ(rel->topLevelItem(0)->text(1), "323");

    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(op.Textos().back(), "Debe ingresar un origen por defecto");
    EXPECT_TRUE(d.isVisible());

    e.Trabajo("insert or ignore into pais (id, descripcion) values ('AR0','PRUEBA AR')");
    Hijo<QLineEdit>(&d, "txtOrigen")->setText("ar0");
    Hijo<QComboBox>(&d, "cboCatalogo")->setCurrentIndex(1);
    QTest::keyClick(Hijo<QLineEdit>(&d, "txtOrigen"), Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(e.App.Config.ORIGEN, "AR0");
    EXPECT_EQ(e.App.Config.INTCAT, "5");
    EXPECT_EQ(e.App.Almacen->GetSetting("INTDUN"), "07");

    // A store that cannot be written: the error is shown once and Esc still closes.
    e.App.Almacen = std::make_unique<AlmacenAjustes>(e.Home.string());
    frmConfig otro(e.App);
    otro.show();
    Hijo<QLineEdit>(&otro, "txtOrigen")->setText("320");
    op.OlvidarMensajes();
    QTest::keyClick(&otro, Qt::Key_Escape);
    EXPECT_FALSE(otro.isVisible());
    ASSERT_EQ(op.Mensajes().size(), 1u);
    EXPECT_EQ(op.Mensajes()[0].Icon, Operador::Icono::Critico);
    EXPECT_EQ(e.App.Config.ORIGEN, "320");
}

TEST_F(Dialogos, ConfiguracionInsertYDeleteEnLaListaDeRelaciones) {
    frmConfig d(e.App);
    d.show();
    auto* rel = Hijo<QTreeWidget>(&d, "lstRELPAIS");
    CuandoAparezca<frmRelPais>([&](frmRelPais* r) {
        EXPECT_EQ(Hijo<QLineEdit>(r, "txtValor")->text(), "");
        Hijo<QLineEdit>(r, "txtValor")->setText("KOR");
        Hijo<QLineEdit>(r, "txtESM")->setText("N");
        // No country chosen yet: F11 says so and stores nothing.
        auto* pais = Hijo<QComboBox>(r, "cboPais");
        EXPECT_EQ(pais->currentIndex(), -1);
        QTest::keyClick(r, Qt::Key_F11);
        EXPECT_EQ(op.Textos().back(), "Seleccione el país de origen");
        EXPECT_EQ(op.Mensajes().back().Icon, Operador::Icono::Exclamacion);
        EXPECT_TRUE(r->isVisible());
        // Typing finds a name without regard to case or accents; Backspace takes a letter back.
        struct Tecleo {
            const char* letras;
            const char* pais;
        } tecleos[] = {{"mex", "MÉXICO (218)"},
                       {"AFGANISTA", "AFGANISTÁN (301)"},
                       {"MEX", "MÉXICO (218)"},
                       {"zzq", ""},
                       {"mexx", ""}};
        for (const Tecleo& t : tecleos) {
            QTest::keyClicks(pais, QString::fromUtf8(t.letras));
            EXPECT_EQ(pais->currentText(), QString::fromUtf8(t.pais)) << t.letras;
            for (size_t i = 0; i < QString::fromUtf8(t.letras).size(); ++i)
                QTest::keyClick(pais, Qt::Key_Backspace);
        }
        QTest::keyClicks(pais, "mexx");
        QTest::keyClick(pais, Qt::Key_Backspace);
        EXPECT_EQ(pais->currentText(), QString::fromUtf8("MÉXICO (218)"));
        QTest::keyClick(r, Qt::Key_F11);
    });
    QTest::keyClick(rel, Qt::Key_Insert);
    ASSERT_EQ(rel->topLevelItemCount(), 1);
    EXPECT_EQ(rel->topLevelItem(0)->text(0), "KOR");
    // The country's name beside its code.
    EXPECT_EQ(rel->topLevelItem(0)->text(1), "218");
    EXPECT_EQ(rel->topLevelItem(0)->text(2), QString::fromUtf8("MÉXICO"));

    op.SiguienteRespuesta(Operador::Respuesta::No);
    QTest::keyClick(rel, Qt::Key_Delete);
    EXPECT_EQ(rel->topLevelItemCount(), 1);
    op.SiguienteRespuesta(Operador::Respuesta::Si);
    QTest::keyClick(rel, Qt::Key_Delete);
    EXPECT_EQ(rel->topLevelItemCount(), 0);
    EXPECT_EQ(e.Valor("select count(*) from ORG"), "0");
}

TEST_F(Dialogos, MensajeConTituloIconoBotonesYFlecha) {
    op.Mostrar = true;
    op.PunteroEspera(true);
    bool visto = false;
    CuandoAparezca<QMessageBox>([&](QMessageBox* m) {
        visto = true;
        EXPECT_EQ(m->windowTitle(), "Velmarion");
        EXPECT_EQ(m->icon(), QMessageBox::Question);
        EXPECT_EQ(m->text(), "¿Seguro?\n\n<b>1</b>"); // shown as typed, never as markup
        EXPECT_EQ(m->textFormat(), Qt::PlainText);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the arrow while the person answers
        ASSERT_EQ(m->buttons().size(), 2);
        for (QAbstractButton* b : m->buttons())
            if (b->text() == "&No")
                b->click();
    });
    EXPECT_EQ(op.MsgBox("¿Seguro?\r\n\r\n<b>1</b>", Operador::Icono::Pregunta, Operador::Botones::SiNo),
              Operador::Respuesta::No);
    EXPECT_TRUE(visto);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    op.PunteroEspera(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
