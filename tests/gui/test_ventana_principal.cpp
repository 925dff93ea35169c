// The main window's wizard: transitions, the interno list's keys, F1/F2.
#include "Entorno.h"
#include "Ventanas.h"
#include "app/Arranque.h"
#include "app/Demo.h"
#include "app/gui/frmMain.h"
#include "config/gui/frmRelPais.h"
#include "import/gui/frmInterno.h"
#include "import/gui/frmPreguntaICRX.h"
#include "review/gui/frmDEP.h"
#include "tools/generador.h"

#include <QComboBox>
#include <QLineEdit>

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <fstream>

namespace {

struct VentanaPrincipal : ::testing::Test {
    EntornoPrueba e;
    OperadorVentanas op;
    std::unique_ptr<frmMain> w;

    void Abrir() {
        e.App.Op = &op;
        w = std::make_unique<frmMain>(e.App, op);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->Iniciar();
    }
    // Two internos with classified articles and inputs.
    void Datos() {
        e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('1001//A','1001//A'),('1002//B',NULL)");
        e.Trabajo("insert into ART (INTNRO, ARTORD, ARTNRO, PRCEST, PRCCRC) values "
                  "('1002//B',1,'X1','A','OK'),('1002//B',2,'X2','A','POS'),('1002//B',3,'X3',NULL,NULL),"
                  "('1002//B',4,'X4','A','SUF'),('1002//B',5,'X5','A','CERO')");
        e.Trabajo("insert into ARTINS (INTNRO, IdReg, DIT, cif) values ('1002//B',1,'25IC04ECR1',100.5),"
                  "('1002//B',2,'25IC04ECR1',20),('1002//B',3,'AB',7)");
    }
    template <class T = QWidget> T* Control(const char* nombre) {
        T* c = w->findChild<T*>(nombre);
        EXPECT_NE(c, nullptr) << nombre;
        return c;
    }
    QString Texto(const char* nombre) { return Control<QLabel>(nombre)->text(); }
    QTreeWidget* Lista() { return Control<QTreeWidget>("FRAM1LstInternos"); }
    bool EnPaso1() { return Control("FRAM1")->isVisible() && Texto("lbPasoNro") == "Paso 1" && e.App.Paso == 1; }
};

TEST_F(VentanaPrincipal, ListaVaciaAvisaCadaVezYSeQuedaEnElPaso1) {
    Abrir();
    const std::string aviso = "Debe seleccionar un interno para continuar, presione [ INSERT ] para crear uno.";
    QTest::mouseClick(Control<QPushButton>("cmdSiguiente"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("cmdSiguiente"), Qt::LeftButton);
    QTest::keyClick(Lista(), Qt::Key_Return);
    EXPECT_EQ(op.Textos(), (std::vector<std::string>{aviso, aviso, aviso}));
    EXPECT_EQ(op.Mensajes().back().Icon, Operador::Icono::Exclamacion);
    EXPECT_TRUE(EnPaso1());
    EXPECT_TRUE(Control<QPushButton>("cmdSiguiente")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>("cmdVolver")->isEnabled());
    // Delete on an empty list asks nothing.
    QTest::keyClick(Lista(), Qt::Key_Delete);
    EXPECT_EQ(op.Mensajes().size(), 3u);
}

TEST_F(VentanaPrincipal, EnterSobreUnInternoMuestraElPaso3SinClasificar) {
    Datos();
    Abrir();
    ASSERT_EQ(Lista()->topLevelItemCount(), 2);
    EXPECT_EQ(Lista()->topLevelItem(1)->text(0), "1002//B");
    EXPECT_EQ(Lista()->topLevelItem(1)->text(1), "");
    Lista()->setCurrentItem(Lista()->topLevelItem(1));
    e.App.ClasificarAlEntrar = true; // left over from an earlier import: a pick never classifies
    QTest::keyClick(Lista(), Qt::Key_Return);

    EXPECT_TRUE(op.Mensajes().empty()) << op.Textos().front();
    EXPECT_EQ(e.App.InternoActual, "1002//B");
    EXPECT_EQ(e.App.Paso, 2);
    EXPECT_FALSE(e.App.ClasificarAlEntrar);
    EXPECT_TRUE(Control("FRAM3")->isVisible());
    EXPECT_FALSE(Control("FRAM1")->isEnabled());
    EXPECT_EQ(Texto("lbPasoNro"), "Paso 3");
    EXPECT_EQ(Texto("lbPasoDesc"), "Depuración de Datos procesados");
    EXPECT_EQ(Control<QPushButton>("cmdSiguiente")->text(), "Transferir");
    EXPECT_TRUE(Control<QPushButton>("cmdSiguiente")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>("cmdVolver")->isEnabled());
    EXPECT_EQ(Texto("FRAM3_lbTotal"), "0005");
    EXPECT_EQ(Texto("FRAM3_lbEnCatalogo"), "0004");
    EXPECT_EQ(Texto("FRAM3_lbNuevos"), "0001");
    EXPECT_EQ(Texto("FRAM3_lbErroneos"), "0003");
    EXPECT_EQ(Texto("FRAM3_lbErrPos"), "0001");
    EXPECT_EQ(Texto("FRAM3_lbErrSuf"), "0001");
    QTreeWidget* cif = Control<QTreeWidget>("lstCIF");
    ASSERT_EQ(cif->topLevelItemCount(), 2);
    EXPECT_EQ(cif->topLevelItem(0)->text(0), "");
    EXPECT_EQ(cif->topLevelItem(1)->text(0), "4ECR");
    EXPECT_EQ(cif->topLevelItem(1)->text(1), "120.50");
    // The stored results were shown, not recomputed.
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCEST is null"), "1");
}

TEST_F(VentanaPrincipal, TransferirCorreConRelojDeArena) {
    Datos();
    Abrir();
    Lista()->setCurrentItem(Lista()->topLevelItem(1));
    QTest::keyClick(Lista(), Qt::Key_Return);
    ASSERT_EQ(Texto("lbPasoNro"), "Paso 3");
    bool esperaDuranteElMensaje = false;
    op.AlMensaje = [&](const std::string&) { esperaDuranteElMensaje = op.Espera(); };
    QTest::mouseClick(Control<QPushButton>("cmdSiguiente"), Qt::LeftButton);
    EXPECT_EQ(op.Textos(), std::vector<std::string>{"Hay registros para depurar.\r\n\r\nHaga click en el boton "
                                                    "\"DATOS SIN DEPURAR\""});
    EXPECT_EQ(Texto("Main_lbMensaje"), "Validando datos...");
    EXPECT_TRUE(esperaDuranteElMensaje);
    EXPECT_FALSE(op.Espera());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The stopped run's status stays until the step changes.
    QTest::mouseClick(Control<QPushButton>("cmdVolver"), Qt::LeftButton);
    EXPECT_EQ(Texto("Main_lbMensaje"), "");
}

TEST_F(VentanaPrincipal, ListaDeInternosContadoresYListasDeRegistrosAlDia) {
    Datos();
    e.EnAduana("insert into caratula (interno) values ('1001//A')");
    Abrir();
    // Beside each interno: its articles, those to depurate, and whether it was transferred.
    struct Fila {
        const char *interno, *articulos, *pendientes, *transferido;
    } filas[] = {{"1001//A", "0", "0", "Sí"}, {"1002//B", "5", "4", "No"}};
    ASSERT_EQ(Lista()->topLevelItemCount(), 2);
    EXPECT_EQ(Lista()->headerItem()->text(3), "Por depurar");
    for (int i = 0; i < 2; ++i) {
        QTreeWidgetItem* it = Lista()->topLevelItem(i);
        EXPECT_EQ(it->text(0), filas[i].interno);
        EXPECT_EQ(it->text(2), filas[i].articulos) << filas[i].interno;
        EXPECT_EQ(it->text(3), filas[i].pendientes) << filas[i].interno;
        EXPECT_EQ(it->text(4), filas[i].transferido) << filas[i].interno;
    }

    Lista()->setCurrentItem(Lista()->topLevelItem(1));
    QTest::keyClick(Lista(), Qt::Key_Return);
    ASSERT_EQ(Texto("FRAM3_lbNuevos"), "0001");
    QTest::keyClick(w.get(), Qt::Key_F1);
    QPointer<frmDEP> lista = w->findChild<frmDEP*>();
    ASSERT_TRUE(lista);
    EXPECT_EQ(lista->Filas(), 4);
    // A correction the list reports: step 3 reads its figures again.
    e.Trabajo("update ART set PRCEST = 'M', PRCCRC = 'OK' where ARTORD = 3");
    e.Trabajo("update ARTINS set cif = 30 where IdReg = 2");
    ASSERT_TRUE(lista->AlCambiarArticulos);
    lista->AlCambiarArticulos();
    EXPECT_EQ(Texto("FRAM3_lbNuevos"), "0000");
    EXPECT_EQ(Texto("FRAM3_lbErroneos"), "0003");
    EXPECT_EQ(Control<QTreeWidget>("lstCIF")->topLevelItem(1)->text(1), "130.50");

    // Back at step 1 and on to the other interno: the old list does not stay.
    QTest::mouseClick(Control<QPushButton>("cmdVolver"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!lista || !lista->isVisible());
    // A list of the current interno stays while that interno is current.
    Lista()->setCurrentItem(Lista()->topLevelItem(1));
    QTest::keyClick(Lista(), Qt::Key_Return);
    QTest::keyClick(w.get(), Qt::Key_F2);
    QPointer<frmDEP> ok = w->findChild<frmDEP*>();
    ASSERT_TRUE(ok);
    QTest::mouseClick(Control<QPushButton>("cmdSiguiente"), Qt::LeftButton); // a stopped transfer
    EXPECT_TRUE(ok && ok->isVisible());
    QTest::mouseClick(Control<QPushButton>("cmdVolver"), Qt::LeftButton);
    Lista()->setCurrentItem(Lista()->topLevelItem(0));
    QTest::keyClick(Lista(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!ok || !ok->isVisible());
}

TEST_F(VentanaPrincipal, DobleClicElige_VolverVaciaElInternoYRecarga) {
    Datos();
    Abrir();
    QTreeWidget* l = Lista();
    QRect r = l->visualItemRect(l->topLevelItem(0));
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(e.App.InternoActual, "1001//A");
    ASSERT_EQ(Texto("lbPasoNro"), "Paso 3");

    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('1003//C','nuevo')");
    QTest::mouseClick(Control<QPushButton>("cmdVolver"), Qt::LeftButton);
    EXPECT_TRUE(EnPaso1());
    EXPECT_EQ(e.App.InternoActual, "");
    EXPECT_EQ(Texto("lbPasoDesc"), "Seleccionar Interno a procesar");
    EXPECT_EQ(Control<QPushButton>("cmdSiguiente")->text(), "Siguiente >");
    EXPECT_FALSE(Control<QPushButton>("cmdVolver")->isEnabled());
    EXPECT_TRUE(Control("FRAM1")->isEnabled());
    ASSERT_EQ(l->topLevelItemCount(), 3);
    EXPECT_EQ(l->topLevelItem(2)->text(1), "nuevo");
}

TEST_F(VentanaPrincipal, F1yF2SoloEnElPaso3) {
    Datos();
    Abrir();
    e.App.ModoDepuracion = 0;
    QTest::keyClick(Lista(), Qt::Key_F1);
    QTest::keyClick(Lista(), Qt::Key_F2);
    EXPECT_TRUE(op.Mensajes().empty());
    EXPECT_EQ(e.App.ModoDepuracion, 0);

    QTest::keyClick(Lista(), Qt::Key_Return);
    ASSERT_EQ(e.App.Paso, 2);
    QTest::keyClick(Control("FRAM3_cmdRegOk"), Qt::Key_F2);
    EXPECT_EQ(e.App.ModoDepuracion, 2);
    QTest::keyClick(Control<QPushButton>("cmdSiguiente"), Qt::Key_F1);
    EXPECT_EQ(e.App.ModoDepuracion, 1);
}

TEST_F(VentanaPrincipal, SuprimirPreguntaYBorraSoloConSi) {
    Datos();
    Abrir();
    Lista()->setCurrentItem(Lista()->topLevelItem(1));
    op.SiguienteRespuesta(Operador::Respuesta::No);
    QTest::keyClick(Lista(), Qt::Key_Delete);
    EXPECT_EQ(op.Textos().back(), "Desea eliminar el Interno 1002//B?");
    EXPECT_EQ(Lista()->topLevelItemCount(), 2);
    EXPECT_EQ(e.Valor("select count(*) from ART"), "5");

    op.SiguienteRespuesta(Operador::Respuesta::Si);
    QTest::keyClick(Lista(), Qt::Key_Delete);
    ASSERT_EQ(Lista()->topLevelItemCount(), 1);
    EXPECT_EQ(Lista()->topLevelItem(0)->text(0), "1001//A");
    EXPECT_EQ(e.Valor("select count(*) from ART"), "0");
    EXPECT_EQ(e.Valor("select count(*) from ARTINS"), "0");
}

TEST_F(VentanaPrincipal, InsertAbreLaImportacionYCancelarNoCambiaNada) {
    Datos();
    Abrir();
    bool abierto = false;
    CuandoAparezca<frmInterno>([&](frmInterno* d) {
        abierto = true;
        QTest::mouseClick(d->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    });
    QTest::keyClick(Lista(), Qt::Key_Insert);
    EXPECT_TRUE(abierto);
    EXPECT_TRUE(EnPaso1());
    EXPECT_EQ(Lista()->topLevelItemCount(), 2);
}

// A demo home with its catalog and settings, and a generated shipment in it.
std::filesystem::path EnvioDemo(EntornoPrueba& e, OpcionesGenerador o) {
    Demo::CargarCatalogo(e.App.Db, e.Aduana(), *e.App.Almacen, CarpetaDatosFuente());
    Arranque::LeerAjustes(e.App);
    o.CarpetaDatos = CarpetaDatosFuente();
    const auto ruta = e.Home / "envio.txt";
    std::ofstream f(ruta, std::ios::binary);
    GenerarEnvio(f, o);
    return ruta;
}

TEST(VentanaImportacion, ArranqueDesatendidoTerminaEnElPaso3) {
    EntornoPrueba e(true);
    OpcionesGenerador o;
    o.Cabeceras = 2;
    o.DetallesPorCabecera = 1;
    o.SinVinculo = 0;
    const auto ruta = EnvioDemo(e, o);
    OperadorVentanas op;
    e.App.Op = &op;
    e.App.InternoLinea = "5005";
    e.App.ArchivoLinea = ruta.string();
    frmMain w(e.App, op);
    w.show();
    w.Iniciar();
    EXPECT_EQ(w.findChild<QLabel*>("lbPasoNro")->text(), "Paso 3");
    EXPECT_EQ(w.findChild<QPushButton*>("cmdSiguiente")->text(), "Transferir");
    EXPECT_TRUE(w.findChild<QPushButton*>("cmdSiguiente")->isEnabled());
    EXPECT_EQ(e.App.InternoActual, "5005");
    EXPECT_EQ(w.findChild<QLabel*>("FRAM3_lbTotal")->text(), "0002"); // ECR1: one article per header
    // The command line is spent: a later "Transferir" is the operator's own.
    EXPECT_EQ(e.App.InternoLinea, "");
    EXPECT_EQ(e.App.ArchivoLinea, "");
    EXPECT_FALSE(w.EnCurso());
}

// The operator's road through the windows alone: Insert, the file, the type
// question and a missing relation answered, counters moving, step 3 reached.
TEST(VentanaImportacion, UnEnvioDesdeLaListaHastaElPaso3) {
    EntornoPrueba e(true);
    OpcionesGenerador o;
    o.Tipo = "";
    o.Cabeceras = 3;
    o.DetallesPorCabecera = 2;
    o.PaisSinRelacion = true;
    o.Interno = "7001";
    const auto ruta = EnvioDemo(e, o);
    OperadorVentanas op;
    e.App.Op = &op;
    frmMain w(e.App, op);
    w.show();
    w.Iniciar();

    QString contadorDuranteLaRelacion;
    bool aceptarDuranteLaRelacion = true;
    CuandoAparezca<frmInterno>([&](frmInterno* d) {
        d->findChild<QLineEdit*>("txtArchivo")->setText(QString::fromStdString(ruta.string()));
        CuandoAparezca<frmPreguntaICRX>([&, d](frmPreguntaICRX* p) {
            CuandoAparezca<frmRelPais>([&, d](frmRelPais* r) {
                contadorDuranteLaRelacion = d->findChild<QLabel*>("lbTotalRegistrosH")->text();
                aceptarDuranteLaRelacion = d->findChild<QPushButton*>("cmdAceptar")->isEnabled();
                auto* pais = r->findChild<QComboBox*>("cboPais");
                pais->setCurrentIndex(pais->findText("KUWAIT (323)"));
                r->findChild<QLineEdit*>("txtESM")->setText("N");
                QTest::keyClick(r, Qt::Key_F11);
            });
            QTest::mouseClick(p->findChild<QPushButton*>("cmdICR1"), Qt::LeftButton);
        });
        QTest::mouseClick(d->findChild<QPushButton*>("cmdAceptar"), Qt::LeftButton);
    });
    QTest::keyClick(w.findChild<QTreeWidget*>("FRAM1LstInternos"), Qt::Key_Insert);

    EXPECT_FALSE(aceptarDuranteLaRelacion);
    EXPECT_FALSE(contadorDuranteLaRelacion.isEmpty());
    EXPECT_EQ(e.App.InternoActual, "7001//01");
    EXPECT_EQ(e.App.Paso, 2);
    EXPECT_EQ(w.findChild<QLabel*>("lbPasoNro")->text(), "Paso 3");
    // The classification reported on the main window's status line and bar.
    EXPECT_EQ(w.findChild<QLabel*>("Main_lbMensaje")->text(), "Fin de Proceso");
    EXPECT_FALSE(w.findChild<QWidget*>("Main_PrB")->isVisible());
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCTDS = 'ICR1'"), "3");
    EXPECT_EQ(e.Valor("select ORI || '/' || ESM from ORG where ORI = '323'"), "323/N");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The counters are painted at most every few milliseconds during a run; what
// the dialog shows once the lines are in must still be the file's totals, not
// the last figure painted.
TEST(VentanaImportacion, LosContadoresTerminanEnLosTotalesDelArchivo) {
    EntornoPrueba e(true);
    OpcionesGenerador o;
    o.Cabeceras = 300;
    o.DetallesPorCabecera = 20;
    const auto ruta = EnvioDemo(e, o);
    struct Operador : OperadorVentanas {
        QString h, p;
        void Estado(const std::string& texto) override {
            OperadorVentanas::Estado(texto);
            QWidget* d = QApplication::activeModalWidget();
            if (h.isEmpty() && d && d->findChild<QLabel*>("lbTotalRegistrosH")) {
                h = d->findChild<QLabel*>("lbTotalRegistrosH")->text();
                p = d->findChild<QLabel*>("lbTotalRegistrosP")->text();
            }
        }
    } op;
    e.App.Op = &op;
    frmMain w(e.App, op);
    w.show();
    w.Iniciar();
    CuandoAparezca<frmInterno>([&](frmInterno* d) {
        d->findChild<QLineEdit*>("txtArchivo")->setText(QString::fromStdString(ruta.string()));
        QTest::mouseClick(d->findChild<QPushButton*>("cmdAceptar"), Qt::LeftButton);
    });
    w.FRAM1_NuevoInterno();
    EXPECT_EQ(e.App.Paso, 2);
    EXPECT_EQ(op.h, "300");
    EXPECT_EQ(op.p, "6000");
}

} // namespace

namespace {
// Step 3 at its smallest: the window fits a 1600 x 1000 screen at 200 % and
// every counter shows its whole figure; the version line gives up width
// rather than hold the window wide.
TEST_F(VentanaPrincipal, AlTamanoMinimoCabeEnPantallaAl200YNadaSeCorta) {
    Datos();
    e.App.Version = "Versión 9.99.999 de prueba, compilada el 31/12/2099 con todas sus opciones";
    Abrir();
    Lista()->setCurrentItem(Lista()->topLevelItem(1));
    QTest::keyClick(Lista(), Qt::Key_Return);
    ASSERT_EQ(Texto("lbPasoNro"), "Paso 3");

    const QSize minimo = w->minimumSizeHint();
    EXPECT_LE(minimo.width(), 800) << minimo.width() << "x" << minimo.height();
    EXPECT_LE(minimo.height(), 500) << minimo.width() << "x" << minimo.height();
    EXPECT_LE(w->minimumWidth(), 800);
    EXPECT_LE(w->minimumHeight(), 500);
    w->resize(minimo);
    QCoreApplication::processEvents();
    ASSERT_EQ(w->size(), minimo);
    for (const char* nombre : {"FRAM3_lbTotal", "FRAM3_lbEnCatalogo", "FRAM3_lbNuevos", "FRAM3_lbErroneos",
                               "FRAM3_lbErrPos", "FRAM3_lbErrSuf"}) {
        auto* c = Control<QLabel>(nombre);
        EXPECT_GE(c->width(), c->sizeHint().width()) << nombre;
        EXPECT_GE(c->height(), c->sizeHint().height()) << nombre;
    }
    for (const char* nombre : {"cmdConfig", "cmdAcercaDe", "Command4", "cmdVolver", "cmdSiguiente"}) {
        auto* b = Control<QPushButton>(nombre);
        EXPECT_TRUE(w->rect().contains(QRect(b->mapTo(w.get(), QPoint(0, 0)), b->size()))) << nombre;
        EXPECT_GE(b->width(), b->sizeHint().width()) << nombre;
    }
    // Cut, but whole in its tooltip.
    EXPECT_EQ(Control<QLabel>("lbVersion")->toolTip(), QString::fromStdString(e.App.Version));
}
} // namespace
