// The position and suffix validator against a small nomenclator.
#include "Entorno.h"
#include "platform/AppError.h"
#include "platform/Tesmira.h"

#include <gtest/gtest.h>

TEST(Tesmira, PosicionesYTextosDeSufijos) {
    EntornoPrueba e;
    e.EnAduana("insert into ncm ([001],[002],[003]) values ('8703.23.10','100','A'), ('0101.21.00','100','W')");
    // Groups of 8703.23.10.100 at every key level, a code of an ignored length, another heading's group.
    e.EnAduana("insert into sufidos (sim, sufijo) values ('87  .  .  .   ','AA'), ('87  .  .  .   ','CA01'), "
               "('8703.  .  .   ','ZA'), ('8703.  .  .   ','KKK'), ('8703.23.  .   ','AM'), "
               "('8703.23.10.100','QA01'), ('8704.  .  .   ','ZB')");
    Tesmira::Motor m;
    EXPECT_THROW(m.ValidarSufijos("8703.23.10.100A", "SIN SUFIJOS"), AppError); // no connection yet
    m.ConexionString(*e.App.Entidades);

    const std::string ok = "AA(TOYOTA)-CA01-ZA(002022)-AM(8AJBA3FS0R0123456)-QA01-";
    struct Caso {
        const char* posicion;
        std::string sufijos;
        int resultado;
    } casos[] = {
        {"8703.23.10.100A", ok, 0},
        {"8703.23.10.100", ok, 0},
        {"8703.23.10.100B", ok, 1},
        {"8703.23.10.10", ok, 1},
        {"8703.23.10.200", ok, 1},
        {"87'3.23.10.100A", ok, 1},
        // Any order, blanks around, "no option", every allowed character.
        {"8703.23.10.100A", "  QA00-AM(A/B,C&D Ñ 1)-ZA(002022)-CA01-AA(X)- ", 0},
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(002022)-AM(X)-", 2},        // group missing
        {"8703.23.10.100A", ok + "AA(TOYOTA)-", 2},                         // group twice
        {"8703.23.10.100A", ok + "ZB(000001)-", 2},                         // group of another position
        {"8703.23.10.100A", ok + "KKK-", 2},                                // ignored code
        {"8703.23.10.100A", "AA(TOYOTA)-CA03-ZA(002022)-AM(X)-QA01-", 2},   // unknown option
        {"8703.23.10.100A", "AA(TOYOTA)-CA(01)-ZA(002022)-AM(X)-QA01-", 2}, // option as a value
        {"8703.23.10.100A", "AA01-CA01-ZA(002022)-AM(X)-QA01-", 2},         // value as an option
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(002022)-AM(X)-QA01", 2},    // last "-" missing
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(002022)-AM(X)--QA01-", 2},  // empty entry
        {"8703.23.10.100A", "AA(toyota)-CA01-ZA(002022)-AM(X)-QA01-", 2},   // lower case
        {"8703.23.10.100A", "AA(TOY.OTA)-CA01-ZA(002022)-AM(X)-QA01-", 2},  // full stop
        {"8703.23.10.100A", "AA( TOY)-CA01-ZA(002022)-AM(ÑAND )-QA01-", 0}, // blanks of dropped characters
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(002022)-AM()-QA01-", 2},    // empty VIN
        {"8703.23.10.100A", "AA(   )-CA01-ZA(002022)-AM(X)-QA01-", 2},      // only blanks
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(2022)-AM(X)-QA01-", 2},     // number of four digits
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(00202A)-AM(X)-QA01-", 2},
        {"8703.23.10.100A", "SIN SUFIJOS", 2},
        {"8703.23.10.100A", "", 2},
        {"0101.21.00.100W", " SIN SUFIJOS ", 0},
        {"0101.21.00.100W", "", 2},
        {"0101.21.00.100W", "AA(TOYOTA)-", 2},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(m.ValidarSufijos(c.posicion, c.sufijos), c.resultado) << c.posicion << " " << c.sufijos;

    // The reason says what the operator must fix.
    struct Motivo {
        const char* posicion;
        std::string sufijos;
        const char* motivo;
    } motivos[] = {
        {"8703.23.10.100A", ok, ""},
        {"8703.23.10.100B", ok, "La posición 8703.23.10.100B no está en el nomenclador."},
        {"8703.23.10.10", ok, "La posición \"8703.23.10.10\" no tiene 14 ni 15 caracteres."},
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(002022)-QA01-", "Falta el sufijo AM."},
        {"8703.23.10.100A", "AA(TOYOTA)-ZA(002022)-QA01-", "Faltan los sufijos AM, CA."},
        {"8703.23.10.100A", "AA(TOYOTA)-CA03-ZA(002022)-AM(X)-QA01-", "La opción CA03 no existe en el grupo CA."},
        {"8703.23.10.100A", "AA(TOYOTA)-CA01-ZA(2022)-AM(X)-QA01-",
         "Valor inválido en el sufijo ZA: debe tener seis dígitos."},
        {"8703.23.10.100A", ok + "ZB(000001)-", "El sufijo ZB(000001) no corresponde a la posición."},
        {"8703.23.10.100A", "SIN SUFIJOS", "La posición pide los sufijos AA, AM, CA, QA, ZA y dice SIN SUFIJOS."},
        {"0101.21.00.100W", "", "La posición no lleva sufijos: debe decir SIN SUFIJOS."},
    };
    for (const Motivo& c : motivos) {
        m.ValidarSufijos(c.posicion, c.sufijos);
        EXPECT_EQ(m.Motivo(), c.motivo) << c.posicion << " " << c.sufijos;
    }

    e.EnAduana("drop table sufidos"); // a failing look-up is an error, not a result
    Tesmira::Motor otro;
    otro.ConexionString(*e.App.Entidades);
    EXPECT_THROW(otro.ValidarSufijos("8703.23.10.100", ok), AppError);
}
