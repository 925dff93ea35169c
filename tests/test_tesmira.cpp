// The position and suffix validator against a small nomenclator.
#include "Entorno.h"
#include "platform/AppError.h"
#include "platform/Tesmira.h"

#include <gtest/gtest.h>

namespace {

struct Validador : ::testing::Test {
    EntornoPrueba e;
    Tesmira::Motor m;

    void SetUp() override {
        e.EnAduana("insert into ncm ([001],[002],[003],[012],[059]) values "
                   "('8703.23.10','100','A','07','*'), ('0101.21.00','100','W','07','')");
        // Groups of 8703.23.10.100 at every key level, one code of an ignored length,
        // and a group of another heading that must not leak in.
        const char* filas[][2] = {
            {"87  .  .  .   ", "AA"},   {"87  .  .  .   ", "AB"},   {"87  .  .  .   ", "CA01"},
            {"87  .  .  .   ", "CA02"}, {"8703.  .  .   ", "AM"},   {"8703.  .  .   ", "ZA"},
            {"8703.  .  .   ", "PA01"}, {"8703.  .  .   ", "PA02"}, {"8703.  .  .   ", "KKK"},
            {"8703.23.  .   ", "ZC"},   {"8703.23.10.100", "QA01"}, {"8704.  .  .   ", "ZB"},
        };
        for (auto& f : filas)
            e.EnAduana(std::string("insert into sufidos (sim, sufijo, detalle) values ('") + f[0] + "','" + f[1] +
                       "','x')");
        m.ConexionString(*e.App.Entidades);
    }
};

const char* const kValido = "AA(TOYOTA)-AB(COROLLA XEI)-CA01-AM(8AJBA3FS0R0123456)-ZA(002022)-PA02-ZC(001798)-QA01-";

} // namespace

TEST_F(Validador, Posiciones) {
    struct Caso {
        const char* posicion;
        int resultado;
    } casos[] = {
        {"8703.23.10.100A", 0}, {"8703.23.10.100", 0}, // with or without its check letter
        {"8703.23.10.100B", 1}, {"8703.23.10.10", 1},  {"8703.23.10.100AA", 1}, {"8703.23.10.200", 1},
        {"", 1},                {"87'3.23.10.100A", 1}, // a quote is only an unknown position
    };
    for (const Caso& c : casos)
        EXPECT_EQ(m.ValidarSufijos(c.posicion, kValido), c.resultado) << c.posicion;
}

TEST_F(Validador, TextosDeSufijos) {
    struct Caso {
        const char* sufijos;
        int resultado;
    } casos[] = {
        {kValido, 0},
        // Any order, blanks around the text, "no option", every allowed character.
        {"  QA01-ZC(001798)-PA00-ZA(002022)-AM(X)-CA02-AB(A/B,C&D Ñ 1)-AA(TOYOTA)-  ", 0},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA00-", 0},
        // Groups missing, repeated or foreign.
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-QA01-", 2},
        {"AA(TOYOTA)-AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-ZB(001000)-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-KKK-", 2},
        // Entries in the wrong form.
        {"AA(TOYOTA)-AB(COROLLA)-CA03-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA(01)-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA01-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)--QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-SIN SUFIJOS", 2},
        // Values: characters, blanks, emptiness, six digits.
        {"AA(toyota)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA.)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA( TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM()-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(   )-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COR(O)LLA)-CA01-AM(X)-ZA(002022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(2022)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(00202A)-PA02-ZC(001798)-QA01-", 2},
        {"AA(TOYOTA)-AB(COROLLA)-CA01-AM(X)-ZA(0002022)-PA02-ZC(001798)-QA01-", 2},
        {"SIN SUFIJOS", 2},
        {"", 2},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(m.ValidarSufijos("8703.23.10.100A", c.sufijos), c.resultado) << c.sufijos;
}

TEST_F(Validador, PosicionSinGrupos) {
    EXPECT_EQ(m.ValidarSufijos("0101.21.00.100W", "SIN SUFIJOS"), 0);
    EXPECT_EQ(m.ValidarSufijos("0101.21.00.100W", " SIN SUFIJOS "), 0);
    EXPECT_EQ(m.ValidarSufijos("0101.21.00.100W", ""), 2);
    EXPECT_EQ(m.ValidarSufijos("0101.21.00.100W", "AA(TOYOTA)-"), 2);
    EXPECT_EQ(m.ValidarSufijos("0101.21.00.100W", "-"), 2);
}

TEST_F(Validador, SinConexionOConTablaRotaEsUnError) {
    Tesmira::Motor suelto;
    EXPECT_THROW(suelto.ValidarSufijos("8703.23.10.100A", kValido), AppError);
    e.EnAduana("drop table sufidos");
    try {
        m.ValidarSufijos("8703.23.10.100A", kValido);
        FAIL();
    } catch (const AppError& x) {
        EXPECT_NE(x.Source.find("Tesmira.Motor.ValidarSufijos"), std::string::npos);
    }
}
