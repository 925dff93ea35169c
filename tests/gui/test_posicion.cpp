// "Buscar Posición": search, details under the cursor keys, the position handed back.
#include "Entorno.h"
#include "Ventanas.h"
#include "review/Nomenclador.h"
#include "review/gui/FrmPosicion.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

namespace {

struct Posicion : ::testing::Test {
    EntornoPrueba e{true};
    OperadorVentanas op;
    FrmPosicion d{*e.App.Entidades, op};
    QLineEdit* txt = nullptr;
    QListWidget* lst = nullptr;
    QListWidget* suf = nullptr;
    QPlainTextEdit* desc = nullptr;
    void SetUp() override {
        d.show();
        txt = d.findChild<QLineEdit*>("TxtNCMF");
        lst = d.findChild<QListWidget*>("LstNCM");
        suf = d.findChild<QListWidget*>("LstSufijos");
        desc = d.findChild<QPlainTextEdit*>("LbDescripcion");
        ASSERT_TRUE(txt && lst && suf && desc);
    }
};

TEST_F(Posicion, BuscaMuestraDatosYDevuelveLaPosicion) {
    EXPECT_EQ(d.windowTitle(), "Buscar Posición");
    EXPECT_TRUE(desc->isReadOnly());
    QTest::keyClicks(txt, "87032310");
    QTest::keyClick(txt, Qt::Key_Return);
    ASSERT_EQ(lst->count(), 2);
    EXPECT_EQ(lst->currentRow(), 0);
    EXPECT_FALSE(op.Espera()); // the hourglass is gone
    EXPECT_TRUE(op.Mensajes().empty());

    // Released cursor keys show the details of the new current position.
    QTest::keyClick(lst, Qt::Key_Down);
    EXPECT_EQ(lst->currentItem()->text(), "8703.23.10.900U");
    const QString t = "Vehíc.autom.c/motor explos.1500<cm3<=3000, hasta 6 pers.";
    EXPECT_EQ(desc->toPlainText(), t + "\n\n" + t);
    EXPECT_EQ(suf->count(), 9);
    EXPECT_FALSE(suf->findItems("ZC   CILINDRADA EN CM3", Qt::MatchExactly).isEmpty());

    QTest::keyClick(lst, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Posicion(), "8703.23.10.900U");
}

TEST_F(Posicion, SinResultadoAvisaYLaListaVaciaDevuelveVacio) {
    // Blank: nothing happens.
    d.setBusqueda("   ");
    QTest::keyClick(txt, Qt::Key_Return);
    EXPECT_TRUE(op.Mensajes().empty());
    EXPECT_TRUE(d.isVisible());

    d.setBusqueda("8703");
    QTest::keyClick(txt, Qt::Key_Return);
    EXPECT_GT(lst->count(), 50);
    d.setBusqueda("zzzz");
    QTest::keyClick(txt, Qt::Key_Return);
    ASSERT_EQ(op.Textos(), std::vector<std::string>{"Posición no encontrada."});
    EXPECT_EQ(op.Mensajes()[0].Icon, Operador::Icono::Exclamacion);
    EXPECT_EQ(lst->count(), 0);
    EXPECT_FALSE(op.Espera());

    QTest::keyClick(lst, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Posicion(), "");
}

TEST_F(Posicion, CtrlCCierraSinResultado) {
    d.setBusqueda("8703.23.10.100");
    QTest::keyClick(txt, Qt::Key_Return);
    ASSERT_EQ(lst->count(), 1);
    QTest::keyClick(txt, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(d.Posicion(), "");
}

TEST_F(Posicion, LosDatosSiguenALaFilaYTeclearVuelveALaBusqueda) {
    auto Descripcion = [&](int fila) {
        return QString::fromStdString(
            Nomenclador::MostrarDatos(*e.App.Entidades, lst->item(fila)->text().toStdString()).Descripcion);
    };
    QTest::keyClicks(txt, "87032310");
    // Enter still down: the list has the hits and the first one's details,
    // and an Enter that comes before the release (a key held) takes nothing.
    QTest::keyPress(txt, Qt::Key_Return);
    ASSERT_EQ(lst->count(), 2);
    ASSERT_EQ(d.focusWidget(), lst);
    EXPECT_EQ(desc->toPlainText(), Descripcion(0));
    EXPECT_FALSE(desc->toPlainText().isEmpty());
    QTest::keyPress(lst, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    QTest::keyRelease(lst, Qt::Key_Return);

    // The mouse moves the current row: the details follow it.
    QTest::mouseClick(lst->viewport(), Qt::LeftButton, {}, lst->visualItemRect(lst->item(1)).center());
    EXPECT_EQ(lst->currentRow(), 1);
    EXPECT_EQ(desc->toPlainText(), Descripcion(1));
    EXPECT_EQ(suf->count(), 9);
    lst->setCurrentRow(0);
    EXPECT_EQ(desc->toPlainText(), Descripcion(0));

    // Typing in the list goes on in the search box, after its text.
    QTest::keyClicks(lst, ".1");
    EXPECT_EQ(d.focusWidget(), txt);
    EXPECT_EQ(txt->text(), "87032310.1");
    lst->setFocus();
    QTest::keyClick(lst, Qt::Key_Backspace);
    EXPECT_EQ(txt->text(), "87032310.");
    // The search of the box never accepts: Enter there searches again.
    QTest::keyClick(txt, Qt::Key_Backspace);
    QTest::keyClick(txt, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(lst->count(), 2);
    QTest::keyClick(lst, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Posicion(), lst->item(0)->text());
}

} // namespace
