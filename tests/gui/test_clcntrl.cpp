// The input-control helper: colours, select-all, keys, searches, hover hint.
#include "controls/gui/ClCntrl.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Records the Tab and Shift+Tab presses a box receives.
struct Tabulaciones : QObject {
    QString registro;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            int k = static_cast<QKeyEvent*>(e)->key();
            if (k == Qt::Key_Tab)
                registro += "T";
            else if (k == Qt::Key_Backtab)
                registro += "B";
        }
        return false;
    }
};

struct Cntrl : ::testing::Test {
    QWidget ventana;
    QLineEdit* txt = new QLineEdit(&ventana);
    ClCntrl c;
    Cntrl() {
        new QVBoxLayout(&ventana);
        ventana.layout()->addWidget(txt);
        c.sLinkText(txt);
    }
    ~Cntrl() override { QLocale::setDefault(QLocale::c()); }
    QColor Fondo() const { return txt->palette().color(QPalette::Base); }
    void Foco(bool entra) {
        QFocusEvent f(entra ? QEvent::FocusIn : QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(txt, &f);
    }
};

TEST_F(Cntrl, ColoresYSeleccionSegunElTag) {
    struct Caso {
        const char* tag;
        QColor enFoco;
        bool selecciona;
    } casos[] = {{"", ClCntrl::kVerde, true},
                 {"txtPRCNCM#F6", ClCntrl::kDurazno, true},
                 {"#F6x", ClCntrl::kVerde, true},
                 {"BB#F6", QColor(), false}};
    for (const Caso& k : casos) {
        txt->setProperty("Tag", k.tag);
        txt->setText("8703.23");
        txt->setCursorPosition(3);
        const QColor antes = Fondo();
        Foco(true);
        EXPECT_EQ(Fondo(), k.enFoco.isValid() ? k.enFoco : antes) << k.tag;
        EXPECT_EQ(txt->selectedText(), k.selecciona ? "8703.23" : "") << k.tag;
        EXPECT_EQ(txt->cursorPosition(), k.selecciona ? 7 : 3) << k.tag;
        Foco(false);
        EXPECT_EQ(Fondo(), k.enFoco.isValid() ? ClCntrl::kBlanco : antes) << k.tag;
    }
}

TEST_F(Cntrl, EnterYFlechasMuevenEntreControles) {
    Tabulaciones t;
    txt->installEventFilter(&t);
    txt->setText("abc");
    bool devuelto = false;
    QObject::connect(txt, &QLineEdit::returnPressed, [&] { devuelto = true; });
    QTest::keyClick(txt, Qt::Key_Return);
    QTest::keyClick(txt, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(txt, Qt::Key_Down);
    QTest::keyClick(txt, Qt::Key_Up);
    EXPECT_EQ(t.registro, "TTTB");
    EXPECT_FALSE(devuelto); // the Enter never reached the box
    EXPECT_EQ(txt->text(), "abc");
}

TEST_F(Cntrl, TeclaDecimalDelTecladoNumerico) {
    struct Caso {
        QLocale locale;
        const char* esperado;
    } casos[] = {{QLocale(QLocale::Spanish, QLocale::Argentina), "1,5.2"},
                 {QLocale(QLocale::English, QLocale::UnitedStates), "1.5.2"}};
    for (const Caso& k : casos) {
        QLocale::setDefault(k.locale);
        txt->clear();
        QTest::keyClick(txt, Qt::Key_1);
        QTest::keyClick(txt, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(txt, Qt::Key_5);
        QTest::keyClick(txt, Qt::Key_Period); // main keyboard: always a dot
        QTest::keyClick(txt, Qt::Key_2);
        EXPECT_EQ(txt->text(), k.esperado);
        EXPECT_EQ(c.Separador_Decimal(), k.locale.decimalPoint());
    }
}

TEST(ClCntrlListas, BusquedaEnListaYCombo) {
    QListWidget lista;
    lista.addItems({"8703.23.10", "8703.24.00", "8704.21.10"});
    QComboBox combo;
    combo.addItems({"ALEMANIA (410)", "Japon (323)", "JORDANIA (318)"});
    ClCntrl c;
    c.sLinkListBox(&lista);
    c.sLinkCBoBox(&combo);

    c.LstBuscarStr("8703.2");
    EXPECT_EQ(lista.currentRow(), 0);
    c.LstBuscarStr("8704");
    EXPECT_EQ(lista.currentRow(), 2);
    c.LstBuscarStr("9999");
    EXPECT_EQ(lista.currentRow(), -1);
    EXPECT_TRUE(lista.selectedItems().isEmpty());

    c.BuscarCBO("ja");
    EXPECT_EQ(combo.currentIndex(), 1);
    c.BuscarCBO("jor");
    EXPECT_EQ(combo.currentIndex(), 2);
    c.BuscarCBO("xx");
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST(ClCntrlListas, SugerenciaDelElementoBajoElPuntero) {
    QListWidget lista;
    lista.resize(200, 300);
    lista.addItems({"uno", "dos"});
    ClCntrl c;
    c.sLinkListBox(&lista);
    lista.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lista));

    auto mover = [&](QPoint p, Qt::MouseButtons botones = Qt::NoButton) {
        QMouseEvent m(QEvent::MouseMove, p, lista.viewport()->mapToGlobal(p), Qt::NoButton, botones, {});
        QApplication::sendEvent(lista.viewport(), &m);
    };
    mover(lista.visualItemRect(lista.item(1)).center());
    EXPECT_EQ(lista.toolTip(), "dos");
    mover(lista.visualItemRect(lista.item(0)).center(), Qt::LeftButton); // dragging: unchanged
    EXPECT_EQ(lista.toolTip(), "dos");
    mover(QPoint(10, lista.viewport()->height() - 5)); // below the last item
    EXPECT_EQ(lista.toolTip(), "");
}

} // namespace
