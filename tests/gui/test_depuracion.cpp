// Depuration in the windows: the list of articles to depurate, the editor
// opened from it with the search (F6), the position check (Enter), the suffix
// questions and the picker, the save (F11) with its replication, the list
// loaded again, and Ctrl+Z.
#include "Entorno.h"
#include "Ventanas.h"
#include "controls/gui/Ventana.h"
#include "platform/Ajustes.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "review/gui/FrmCargaSufijos.h"
#include "review/gui/FrmPosicion.h"
#include "review/gui/frmDEP.h"
#include "review/gui/frmModificar.h"

#include <QHeaderView>
#include <QScreen>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>

namespace {

struct DepuracionVentanas : ::testing::Test {
    EntornoPrueba e{true};
    OperadorVentanas op;
    void SetUp() override {
        e.App.Op = &op;
        e.App.InternoActual = "100";
        // Three articles of one number: one classified with a suffix error, two not in the catalog.
        SentenciaSql s;
        for (long long ord : {1, 2, 3}) {
            s.Limpiar();
            s.Sql("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, PRCCAN, PRCDUN, PRCEUN, PRCESM, "
                  "PRCORI, PRCNCM, PRCSUF, PRCEST, PRCCRC) values ('100', ");
            s.Numero(ord).Sql(", 'SOLVIA', 1, 10, 10, 1, '07', ");
            if (ord == 1)
                s.Texto("07").Sql(", '1', '200', ").Texto("8703.23.10.100A").Sql(", ").Texto("AA(X)-").Sql(", ");
            else
                s.Sql("null, '1', '200', null, null, ");
            s.Sql(ord == 1 ? "'E', 'SUF')" : "null, null)");
            e.Trabajo(s);
        }
    }
    std::string Col(int ord, const std::string& col) {
        return e.Valor(SentenciaSql("select ").Sql(col).Sql(" from ART where ARTORD = ").Numero(ord * 1LL));
    }
};

TEST_F(DepuracionVentanas, CorregirUnArticuloDesdeLaLista) {
    e.App.ModoDepuracion = 1;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    ASSERT_NE(tabla, nullptr);
    ASSERT_EQ(tabla->model()->rowCount(), 3);
    EXPECT_EQ(tabla->model()->headerData(7, Qt::Horizontal).toString(), "Posición");
    // Status null first: the articles not in the catalog, dark red.
    EXPECT_EQ(tabla->model()->index(0, 0).data().toString(), "0002");
    EXPECT_EQ(tabla->model()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0x80, 0, 0));
    EXPECT_EQ(tabla->model()->index(2, 0).data().toString(), "0001");
    tabla->selectRow(2);
    int cambios = 0; // reported to whoever shows the interno's figures
    lista->AlCambiarArticulos = [&] { ++cambios; };

    bool editado = false;
    CuandoAparezca<frmModificar>([&](frmModificar* d) {
        auto* ncm = d->findChild<QLineEdit*>("txtPRCNCM");
        EXPECT_EQ(ncm->text(), "8703.23.10.100A");
        EXPECT_EQ(d->findChild<QLabel*>("lbEstado")->text(), "SUF");
        // F6: the search gets the editor's position and hands one back.
        CuandoAparezca<FrmPosicion>([&](FrmPosicion* p) {
            auto* lst = p->findChild<QListWidget*>("LstNCM");
            QTest::keyClick(p->findChild<QLineEdit*>("TxtNCMF"), Qt::Key_Return);
            ASSERT_EQ(lst->count(), 1); // the full position finds its own row
            QTest::keyClick(lst, Qt::Key_Return);
        });
        QTest::keyClick(ncm, Qt::Key_F6);
        EXPECT_EQ(ncm->text(), "8703.23.10.100A");
        // Enter: the position check asks the suffixes anew.
        for (const char* v : {"ORVANTA", "SOLVIA", "X1", "2024", "1598"})
            op.SiguienteEntrada(v);
        op.SiguienteOpcion("CA01");
        op.SiguienteOpcion("PA02");
        QTest::keyClick(ncm, Qt::Key_Return);
        EXPECT_EQ(d->findChild<QLineEdit*>("txtPRCSUF")->text(),
                  "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(X1)-PA02-ZA(002024)-ZC(001598)-");
        EXPECT_TRUE(d->findChild<QLabel*>("lbPRCLAP")->isVisible());
        d->findChild<QLineEdit*>("txtARTUNI")->setText("12.5");
        QTest::keyClick(d, Qt::Key_F11);
        editado = true;
    });
    QTest::keyClick(tabla, Qt::Key_Return);
    ASSERT_TRUE(editado);
    EXPECT_EQ(op.Textos().back(), "Se replico la modificiación a 2 articulos SOLVIA");
    EXPECT_EQ(Col(1, "PRCEST || PRCCRC"), "MOK");
    EXPECT_EQ(Col(1, "ARTUNI = 12.5"), "1");
    EXPECT_EQ(Col(3, "PRCEST || PRCCRC"), "ROK");
    // Loaded again: nothing left to depurate.
    EXPECT_EQ(tabla->model()->rowCount(), 0);
    EXPECT_EQ(cambios, 1);

    // Ctrl+Z after Yes: the three are back.
    op.SiguienteRespuesta(Operador::Respuesta::Si);
    QTest::keyClick(tabla, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tabla->model()->rowCount(), 3);
    EXPECT_EQ(Col(1, "PRCEST || PRCCRC"), "ESUF");
    EXPECT_EQ(cambios, 2);

    // Esc in the editor closes it without saving; the list stays as it was.
    tabla->selectRow(0);
    CuandoAparezca<frmModificar>([&](frmModificar* d) { QTest::keyClick(d, Qt::Key_Escape); });
    QTest::keyClick(tabla, Qt::Key_Return);
    EXPECT_EQ(tabla->model()->rowCount(), 3);
    EXPECT_EQ(cambios, 2); // closed without saving: nothing changed
    lista->close();
}

TEST_F(DepuracionVentanas, LaSugerenciaEnLaListaYConF7EnElEditor) {
    // Two catalog articles of the model at one position, their suffixes with
    // another VIN; the article to correct carries its own.
    e.App.Config.INTCAT = "1";
    for (const char* art : {"SOLVIA GL", "SOLVIA GLX"})
        e.EnAduana(std::string("insert into catarticulos (idcatalogo, idarticulo, ncm, sufijos) values ('1', '") + art +
                   "', '8703.23.10.100', 'AA(ORVANTA)-AB(SOLVIA)-CA01-AM(AJENO1234)-PA02-ZA(002024)-ZC(001598)-')");
    e.Trabajo("update ART set PRCVIN = 'VINPROPIO00000001' where ARTORD = 2");
    e.App.ModoDepuracion = 1;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    QAbstractItemModel* m = tabla->model();
    ASSERT_EQ(m->columnCount(), 12);
    EXPECT_EQ(m->headerData(10, Qt::Horizontal).toString(), "Motivo");
    EXPECT_EQ(m->headerData(11, Qt::Horizontal).toString(), "Sugerencia");
    // The unclassified ones get the catalog's position; the one with a position none.
    struct Fila {
        const char* orden;
        const char* sugerencia;
    } filas[] = {{"0002", "8703.23.10.100A"}, {"0003", "8703.23.10.100A"}, {"0001", ""}};
    ASSERT_EQ(m->rowCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m->index(i, 0).data().toString(), filas[i].orden);
        EXPECT_EQ(m->index(i, 11).data().toString(), filas[i].sugerencia) << filas[i].orden;
    }

    // Without a suggestion the editor says so and F7 leaves the box alone.
    tabla->selectRow(2);
    bool visto = false;
    CuandoAparezca<frmModificar>([&](frmModificar* d) {
        visto = true;
        EXPECT_EQ(d->findChild<QLabel*>("lbSugerencia")->text(), "Sin sugerencia");
        auto* ncm = d->findChild<QLineEdit*>("txtPRCNCM");
        QTest::keyClick(ncm, Qt::Key_F7);
        EXPECT_EQ(ncm->text(), "8703.23.10.100A");
        EXPECT_TRUE(op.Defectos.empty()); // no suffix asked
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QTest::keyClick(tabla, Qt::Key_Return);
    ASSERT_TRUE(visto);

    // F7: the suggestion typed in and checked; the suffix questions offer its
    // text, the VIN's own suffix the article's VIN; F11 saves.
    tabla->selectRow(0);
    visto = false;
    op.TomarDefectos = true;
    CuandoAparezca<frmModificar>([&](frmModificar* d) {
        visto = true;
        const QString etiqueta = d->findChild<QLabel*>("lbSugerencia")->text();
        EXPECT_TRUE(etiqueta.contains("8703.23.10.100A")) << etiqueta.toStdString();
        EXPECT_TRUE(etiqueta.contains(QString::fromUtf8("2 artículos SOLVIA en el catálogo")))
            << etiqueta.toStdString();
        EXPECT_TRUE(etiqueta.contains("F7"));
        auto* ncm = d->findChild<QLineEdit*>("txtPRCNCM");
        EXPECT_EQ(ncm->text(), "");
        QTest::keyClick(ncm, Qt::Key_F7);
        EXPECT_EQ(ncm->text(), "8703.23.10.100A");
        EXPECT_EQ(d->findChild<QLineEdit*>("txtPRCSUF")->text(),
                  "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(VINPROPIO)-PA02-ZA(002024)-ZC(001598)-");
        EXPECT_EQ(op.Defectos.size(), 7u);
        EXPECT_NE(std::find(op.Defectos.begin(), op.Defectos.end(), "VINPROPIO"), op.Defectos.end());
        EXPECT_EQ(std::find(op.Defectos.begin(), op.Defectos.end(), "AJENO1234"), op.Defectos.end());
        EXPECT_TRUE(d->findChild<QLabel*>("lbPRCLAP")->isVisible());
        QTest::keyClick(d, Qt::Key_F11);
    });
    QTest::keyClick(tabla, Qt::Key_Return);
    op.TomarDefectos = false;
    ASSERT_TRUE(visto);
    EXPECT_EQ(Col(2, "PRCNCM"), "8703.23.10.100A");
    EXPECT_EQ(Col(2, "PRCSUF"), "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(VINPROPIO)-PA02-ZA(002024)-ZC(001598)-");
    EXPECT_EQ(Col(2, "PRCEST || PRCCRC"), "MOK");
    lista->close();
}

TEST_F(DepuracionVentanas, OrdenarYFiltrarSinPerderElArticulo) {
    e.Trabajo("update ART set ARTUNI = 12.125 where ARTORD = 2");
    e.App.ModoDepuracion = 1;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    ASSERT_NE(tabla, nullptr);
    QAbstractItemModel* m = tabla->model();
    auto Orden = [&] {
        QStringList r;
        for (int i = 0; i < m->rowCount(); ++i)
            r << m->index(i, 0).data().toString();
        return r.join(' ');
    };
    ASSERT_EQ(Orden(), "0002 0003 0001");
    // One number of decimals per column, on the right.
    const QString sep(SeparadorDecimal());
    EXPECT_EQ(m->index(0, 5).data().toString(), "12" + sep + "125");
    EXPECT_EQ(m->index(1, 5).data().toString(), "10" + sep + "000");
    EXPECT_EQ(m->index(1, 4).data().toString(), "1");
    EXPECT_TRUE(m->index(1, 5).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);

    // A header click sorts, a second one the other way, a third one brings the list's order back.
    QHeaderView* h = tabla->horizontalHeader();
    auto Clic = [&](int c) {
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(c) + 8, h->height() / 2));
    };
    struct Paso {
        int columna;
        const char* orden;
    } pasos[] = {{0, "0001 0002 0003"},
                 {0, "0003 0002 0001"},
                 {0, "0002 0003 0001"},
                 // By number, not by text ("10" < "12.125"); equal ones keep the list's order.
                 {5, "0003 0001 0002"}};
    for (const Paso& p : pasos) {
        Clic(p.columna);
        EXPECT_EQ(Orden(), p.orden) << p.columna;
    }

    // The reasons with their counts; one of them takes its rows only.
    auto* motivo = lista->findChild<QComboBox*>("cboMotivo");
    ASSERT_NE(motivo, nullptr);
    ASSERT_EQ(motivo->count(), 3);
    EXPECT_EQ(motivo->itemText(0), "Todos los motivos (3)");
    EXPECT_TRUE(motivo->itemText(1).startsWith(QString::fromUtf8("No está en el catálogo")));
    EXPECT_TRUE(motivo->itemText(1).endsWith("(2)"));
    motivo->setCurrentIndex(1);
    EXPECT_EQ(Orden(), "0003 0002");
    auto* filtro = lista->findChild<QLineEdit*>("txtFiltro");
    QTest::keyClick(tabla, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(lista->focusWidget(), filtro);
    QTest::keyClicks(filtro, "0002");
    EXPECT_EQ(Orden(), "0002");
    EXPECT_EQ(lista->findChild<QLabel*>("lbCuenta")->text(), "1 de 3 articulos");

    // Enter and a double-click open the editor on the row shown, sorted and filtered.
    std::string abierto;
    auto Cerrar = [&](frmModificar* d) {
        abierto = d->Tag;
        QTest::keyClick(d, Qt::Key_Escape);
    };
    CuandoAparezca<frmModificar>(Cerrar);
    QTest::keyClick(filtro, Qt::Key_Return); // down to the rows
    QTest::keyClick(tabla, Qt::Key_Return);
    EXPECT_EQ(abierto, "0002");
    filtro->clear();
    EXPECT_EQ(Orden(), "0003 0002");
    CuandoAparezca<frmModificar>(Cerrar);
    abierto.clear();
    QTest::mouseDClick(tabla->viewport(), Qt::LeftButton, {}, tabla->visualRect(m->index(0, 1)).center());
    EXPECT_EQ(abierto, "0003");
    // A filter without match leaves nothing to open.
    QTest::keyClicks(filtro, "zzz");
    EXPECT_EQ(m->rowCount(), 0);
    QTest::keyClick(tabla, Qt::Key_Return);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    lista->close();
}

TEST_F(DepuracionVentanas, CerrarElEditorConCambiosPreguntaYElFocoVuelveALaLista) {
    e.App.ModoDepuracion = 1;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    struct Caso {
        bool editar;
        const char* como; // "esc" or the button
        std::vector<Operador::Respuesta> respuestas;
        size_t preguntas;
    } casos[] = {
        {false, "esc", {}, 0},                                                // nothing typed: closes at once
        {true, "esc", {Operador::Respuesta::No, Operador::Respuesta::Si}, 2}, // No keeps editing
        {true, "cmdCerrar", {Operador::Respuesta::Si}, 1},
    };
    for (const Caso& c : casos) {
        op.OlvidarMensajes();
        tabla->selectRow(1);
        bool visto = false;
        CuandoAparezca<frmModificar>([&](frmModificar* d) {
            visto = true;
            EXPECT_NE(d->findChild<QPushButton*>("cmdGuardar"), nullptr);
            EXPECT_EQ(d->findChild<QLineEdit*>("txtARTNRO")->focusPolicy(), Qt::NoFocus);
            if (c.editar)
                d->findChild<QLineEdit*>("txtPRCESM")->setText("9");
            for (Operador::Respuesta r : c.respuestas) {
                op.SiguienteRespuesta(r);
                if (std::string(c.como) == "esc")
                    QTest::keyClick(d, Qt::Key_Escape);
                else
                    QTest::mouseClick(d->findChild<QPushButton*>(c.como), Qt::LeftButton);
                EXPECT_EQ(d->isVisible(), r == Operador::Respuesta::No);
            }
            if (c.respuestas.empty())
                QTest::keyClick(d, Qt::Key_Escape);
            if (d->isVisible())
                d->reject();
        });
        QTest::keyClick(tabla, Qt::Key_Return);
        ASSERT_TRUE(visto);
        ASSERT_EQ(op.Mensajes().size(), c.preguntas) << c.como;
        for (const auto& m : op.Mensajes())
            EXPECT_EQ(m.Defecto, Operador::Respuesta::No);
        EXPECT_EQ(Col(2, "PRCESM"), "1"); // nothing saved
        EXPECT_EQ(tabla->currentIndex().row(), 1);
        EXPECT_EQ(lista->focusWidget(), tabla);
    }
    lista->close();
}

TEST_F(DepuracionVentanas, LaListaVuelveConSuTamanoYSusColumnas) {
    AlmacenAjustes almacen((e.Home / "ventanas.ini").string());
    Ventana::Almacen(&almacen);
    e.App.ModoDepuracion = 1;
    auto abrir = [&] {
        auto* l = new frmDEP(e.App, op);
        l->show();
        return l;
    };
    frmDEP* lista = abrir();
    // Opened within the screen, however wide its default.
    const QRect area = lista->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(lista->geometry())) << lista->width() << "x" << lista->height();
    lista->resize(640, 380);
    auto* cab = lista->findChild<QTableView*>("lstDEP")->horizontalHeader();
    cab->resizeSection(1, 333);
    cab->moveSection(10, 0); // "Motivo" first
    lista->close();

    lista = abrir();
    cab = lista->findChild<QTableView*>("lstDEP")->horizontalHeader();
    EXPECT_EQ(lista->size(), QSize(640, 380));
    EXPECT_EQ(cab->sectionSize(1), 333);
    EXPECT_EQ(cab->visualIndex(10), 0);
    lista->close();
    Ventana::Almacen(nullptr);
    EXPECT_NE(almacen.GetVentana("frmDEP"), "");
}

TEST_F(DepuracionVentanas, ElegidorDeOpcionesYListaVacia) {
    FrmCargaSufijos d({"CA00 - Ninguna opción", "CA01 - NUEVO", "CA02 - USADO"}, "ca02");
    d.show();
    auto* l = d.findChild<QListWidget*>("LstOpcion");
    EXPECT_EQ(l->currentRow(), 2); // the current option, without regard to case
    QTest::keyClick(l, Qt::Key_Return);
    EXPECT_EQ(d.Eleccion(), "CA02 - USADO");

    FrmCargaSufijos cerrado({"CA00 - Ninguna opción"}, "");
    cerrado.show();
    EXPECT_EQ(cerrado.findChild<QListWidget*>("LstOpcion")->currentRow(), 0);
    QTest::keyClick(&cerrado, Qt::Key_Escape);
    EXPECT_EQ(cerrado.Eleccion(), "");

    // An empty list: Enter does nothing.
    e.Trabajo("delete from ART");
    e.App.ModoDepuracion = 2;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    QTest::keyClick(tabla, Qt::Key_Return);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    lista->close();
}

} // namespace

// A failed check of F11 leaves the cursor in the box it was about, and says which.
TEST_F(DepuracionVentanas, TrasUnaReglaFallidaElFocoVaALaCajaEnFalta) {
    const char* sufijos = "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(X1)-PA02-ZA(002024)-ZC(001598)-";
    struct Caso {
        const char* caja;
        const char* valor;
        const char* campo;
    } casos[] = {
        {"txtPRCDUN", "", "PRCDUN"},       {"txtPRCDUN", "QQ", "PRCDUN"}, {"txtPRCESM", "X", "PRCESM"},
        {"txtPRCSUF", "ZZ(1)-", "PRCSUF"}, {"txtARTCAN", "x", "ARTCAN"},  {"txtARTUNI", "abc", "ARTUNI"},
        {"txtARTTOT", "0", "ARTTOT"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.caja + std::string("=") + c.valor);
        frmModificar d(e.App, op);
        d.Tag = "0001";
        d.show();
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.findChild<QLineEdit*>("txtPRCSUF")->setText(sufijos);
        d.findChild<QLineEdit*>(c.caja)->setText(c.valor);
        d.findChild<QLineEdit*>("txtPRCNCM")->setFocus();
        QTest::keyClick(&d, Qt::Key_F11);
        EXPECT_TRUE(d.isVisible()) << "saved with a wrong box";
        EXPECT_EQ(d.Formulario().CampoConFalla, c.campo) << op.Textos().back();
        ASSERT_NE(d.focusWidget(), nullptr);
        EXPECT_EQ(d.focusWidget()->objectName().toStdString(), c.caja);
    }
    EXPECT_EQ(Col(1, "PRCEST || PRCCRC"), "ESUF"); // nothing saved
}

// The reason is never cut: in a narrow window its column keeps its longest
// reason (the list scrolls), in a wide one it fills the rest of the row.
TEST_F(DepuracionVentanas, ElMotivoSeLeeEnteroAnchaOAngosta) {
    e.App.ModoDepuracion = 1;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(lista));
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    auto* cab = tabla->horizontalHeader();
    int largo = 0;
    for (int r = 0; r < tabla->model()->rowCount(); ++r)
        largo = std::max(largo, tabla->fontMetrics().horizontalAdvance(tabla->model()->index(r, 10).data().toString()));
    ASSERT_GT(largo, 0);
    for (QSize tam : {QSize(500, 300), QSize(1500, 400)}) {
        lista->resize(tam);
        QCoreApplication::processEvents();
        SCOPED_TRACE(lista->width());
        EXPECT_GT(cab->sectionSize(10), largo);
        EXPECT_GE(cab->length(), tabla->viewport()->width());
    }
    lista->close();
}

// One vehicle corrected in the windows with F7 and F11, Yes to the vehicles
// question: every untouched vehicle of that number leaves the list with its
// own VIN in its suffixes; another number's vehicle stays.
TEST_F(DepuracionVentanas, F7YLosVehiculosDelNumeroSalenDeLaLista) {
    e.App.Config.INTCAT = "1";
    e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, sufijos) values "
               "('1', 'SOLVIA GL', '8703.23.10.100', "
               "'AA(ORVANTA)-AB(SOLVIA)-CA01-AM(AJENO1234)-PA02-ZA(002024)-ZC(001598)-')");
    e.Trabajo("update ART set PRCVIN = 'VINDOS0000000002' where ARTORD = 2");
    e.Trabajo("update ART set PRCVIN = 'VINTRES000000003' where ARTORD = 3");
    for (long long ord : {4, 5})
        e.Trabajo(SentenciaSql("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, PRCCAN, PRCDUN, "
                               "PRCESM, PRCORI, PRCVIN) values ('100', ")
                      .Numero(ord)
                      .Sql(", ")
                      .Texto(ord == 4 ? "SOLVIA" : "SOLVIA GLX")
                      .Sql(", 1, 10, 10, 1, '07', '1', '200', ")
                      .Texto("VIN" + std::to_string(ord) + "XXXXXXXXXXX")
                      .Sql(")"));
    e.App.ModoDepuracion = 1;
    auto* lista = new frmDEP(e.App, op);
    lista->show();
    auto* tabla = lista->findChild<QTableView*>("lstDEP");
    ASSERT_EQ(tabla->model()->rowCount(), 5);
    for (int i = 0; i < 5; ++i)
        if (tabla->model()->index(i, 0).data().toString() == "0002")
            tabla->selectRow(i);
    bool visto = false;
    std::vector<std::string> preguntas;
    op.AlMensaje = [&](const std::string& texto) { preguntas.push_back(texto); };
    op.TomarDefectos = true;
    CuandoAparezca<frmModificar>([&](frmModificar* d) {
        visto = true;
        auto* ncm = d->findChild<QLineEdit*>("txtPRCNCM");
        QTest::keyClick(ncm, Qt::Key_F7);
        EXPECT_EQ(ncm->text(), "8703.23.10.100A");
        op.SiguienteRespuesta(Operador::Respuesta::Si);
        QTest::keyClick(d, Qt::Key_F11);
    });
    QTest::keyClick(tabla, Qt::Key_Return);
    op.TomarDefectos = false;
    op.AlMensaje = nullptr;
    ASSERT_TRUE(visto);
    ASSERT_FALSE(preguntas.empty());
    EXPECT_EQ(preguntas.front(), "¿Replicar la corrección a los 2 vehículos de SOLVIA, cada uno con su propio VIN?");
    // Left: the classified article with its suffix error and the other number.
    EXPECT_EQ(tabla->model()->rowCount(), 2);
    EXPECT_EQ(Col(2, "PRCSUF"), "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(VINDOS000)-PA02-ZA(002024)-ZC(001598)-");
    EXPECT_EQ(Col(3, "PRCSUF || PRCEST"), "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(VINTRES00)-PA02-ZA(002024)-ZC(001598)-R");
    EXPECT_EQ(Col(4, "PRCSUF || PRCEST"), "AA(ORVANTA)-AB(SOLVIA)-CA01-AM(VIN4XXXXX)-PA02-ZA(002024)-ZC(001598)-R");
    EXPECT_EQ(Col(5, "ifnull(PRCEST, '-')"), "-");
    lista->close();
}
