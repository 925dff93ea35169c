// Shipment records: field cuts, numbers, dates, the three insert statements,
// suffix value normalisation and the VIN in suffix AM.
#include "Entorno.h"
#include "Envio.h"
#include "global/modGlobal.h"
#include "import/modEntidadesTarvelo.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>

using namespace modEntidadesTarvelo;

TEST(Registros, CortesDeCampos) {
    RegistroH h = getRegistroHfromString(LineaH{.Factura = "  A'1  "}.Texto());
    EXPECT_EQ(h.Interno + "|" + h.InternoSufijo + "|" + h.Factura + "|" + h.NroCTC + "|" + h.Modelo + "|" + h.Variante +
                  "|" + h.NroVIN + "|" + h.Pais + "|" + h.Tipo,
              "1001|01|A'1|CTC1|MOD|VAR|VIN1|AR1|ECR1");
    EXPECT_DOUBLE_EQ(h.Importe, 12345.67);
    // A short line gives what exists, without an error.
    RegistroH corta = getRegistroHfromString(LineaH{}.Texto().substr(0, 100));
    EXPECT_EQ(corta.NroVIN + "|" + corta.Pais + corta.Tipo, "VIN|");

    // Asterisks go, "000" is no country, and an "Ñ" does not shift the fields after it.
    RegistroP p = getRegistroPfromString(LineaP{.Articulo = "*A*Ñ-1*", .Origen = "000", .Pais = "000"}.Texto());
    EXPECT_EQ(p.Articulo + "|" + p.Posicion + "|" + p.Fecha + "|" + p.DIT + "|" + p.Item + "|" + p.SubItem + "|" +
                  p.Modelo + "|" + p.Variante + "|" + p.Origen + "|" + p.Pais,
              "AÑ-1|8708.29.99.900A|15/02/2023|23001IT04000123X|0001|0002|MOD|VAR||");
    EXPECT_DOUBLE_EQ(p.Cantidad, 2.5);
    EXPECT_DOUBLE_EQ(p.Cif, 25); // 10 per unit
    EXPECT_DOUBLE_EQ(p.PrecioUnitario, 5);
    RegistroP q = getRegistroPfromString(LineaP{.Articulo = "****", .Origen = "001"}.Texto());
    EXPECT_EQ(q.Articulo + "|" + q.Origen + "|" + q.Pais, "|001|AR1");
}

TEST(Registros, Numeros) {
    struct Caso {
        const char* texto;
        int enteros, decimales;
        double valor;
    } casos[] = {{"000001234567", 10, 2, 12345.67},
                 {"0000000002500", 10, 3, 2.5},
                 {"             ", 10, 3, 0},
                 {"-00000012345", 10, 2, -123.45},
                 {"0 0 0 1 2 3 45", 12, 2, 123.45},
                 {"12345", 5, 0, 12345},
                 {"00000012x456", 10, 2, 12}, // reading stops at the first character that cannot continue
                 {"0000000000000000100000", 18, 4, 10},
                 {"12", 10, 2, 12},
                 {"", 10, 2, 0}}; // shorter than its integer part: no decimals to copy
    for (const Caso& c : casos)
        EXPECT_DOUBLE_EQ(getNumerofromString(c.texto, c.enteros, c.decimales), c.valor) << c.texto;
}

// Lines with characters of two and three bytes in several fields (and a cut-off
// one at the end) are cut by characters, as Mid cuts them, in every field.
TEST(Registros, CortesDeCamposConCaracteresDeVariosBytes) {
    LineaP l{.Articulo = "ÑÜ€-1", .Posicion = "8708.€9", .DIT = "DÍT€Ñ", .Modelo = "MÖD", .Variante = "VÄR€"};
    for (const std::string& linea : {l.Texto(), l.Texto().substr(0, 140), l.Texto() + "\xC3"}) {
        SCOPED_TRACE(linea.size());
        RegistroP p = getRegistroPfromString(linea);
        auto campo = [&](size_t inicio, long largo) { return Trim(Mid(linea, inicio, largo)); };
        EXPECT_EQ(p.Articulo, Reemplazar(campo(14, 21), "*", ""));
        EXPECT_EQ(p.Posicion, campo(72, 15));
        EXPECT_EQ(p.DIT, campo(95, 16));
        EXPECT_EQ(p.Item + "|" + p.SubItem, campo(118, 4) + "|" + campo(122, 4));
        EXPECT_EQ(p.Modelo + "|" + p.Variante, campo(126, 9) + "|" + campo(135, 19));
        EXPECT_EQ(p.Origen + "|" + p.Pais, campo(176, 3) + "|" + campo(179, 3));
        EXPECT_DOUBLE_EQ(p.Cantidad, getNumerofromString(Mid(linea, 35, 13), 10, 3));
        EXPECT_DOUBLE_EQ(p.PrecioUnitario, getNumerofromString(Mid(linea, 154, 22), 18, 4));
    }
    EXPECT_EQ(getRegistroPfromString(l.Texto()).Variante, "VÄR€");
}

// Digit-only fields are read by a shortcut: it must give the very double the
// full decimal conversion gives, including past the digits a double holds.
TEST(Registros, NumerosExactosComoLaConversionCompleta) {
    std::mt19937_64 azar(7);
    auto completa = [](const std::string& t, int enteros) {
        std::string d = t.substr(0, static_cast<size_t>(enteros)) + "." + t.substr(static_cast<size_t>(enteros), 4);
        double v = 0;
        std::from_chars(d.data(), d.data() + d.size(), v);
        return v;
    };
    for (int k = 0; k < 20000; ++k) {
        // 18 integer and 4 decimal digits, with a random number of leading zeros.
        std::string t(22, '0');
        const size_t significativos = azar() % 23;
        for (size_t i = 22 - significativos; i < 22; ++i)
            t[i] = static_cast<char>('0' + azar() % 10);
        const double v = getNumerofromString(t, 18, 4);
        ASSERT_EQ(std::bit_cast<uint64_t>(v), std::bit_cast<uint64_t>(completa(t, 18))) << t;
        ASSERT_EQ(std::bit_cast<uint64_t>(LeerNumero(t.substr(0, 18) + "." + t.substr(18))),
                  std::bit_cast<uint64_t>(completa(t, 18)))
            << t;
    }
    // Around 2^53, where the shortcut must give way.
    for (const char* t :
         {"0000009007199254740992", "0000009007199254740993", "0000018014398509481985", "9999999999999999999999"})
        EXPECT_EQ(std::bit_cast<uint64_t>(getNumerofromString(t, 18, 4)), std::bit_cast<uint64_t>(completa(t, 18)))
            << t;
    EXPECT_EQ(getNumerofromString("12345", 5, 0), 12345);
}

TEST(Registros, Fechas) {
    EXPECT_EQ(getFechafromString("20230215"), "15/02/2023");
    EXPECT_EQ(getFechafromString("20240229"), "29/02/2024");
    EXPECT_EQ(getFechafromString("2023 2 1"), " 1/ 2/2023"); // blank-padded day and month are still a date
    struct Caso {
        const char* texto;
        const char* descripcion;
    } malas[] = {{"20230230", "Fecha 30/02/2023 inválida!"}, {"20230229", "Fecha 29/02/2023 inválida!"},
                 {"20231301", "Fecha 01/13/2023 inválida!"}, {"  23 2 1", "Fecha  1/ 2/  23 inválida!"},
                 {"2023 200", "Fecha 00/ 2/2023 inválida!"}, {"        ", "Fecha   /  /     inválida!"},
                 {"2023", "Fecha //2023 inválida!"},         {"202", "Fecha //202 inválida!"}};
    for (const Caso& c : malas) {
        try {
            getFechafromString(c.texto);
            ADD_FAILURE() << c.texto;
        } catch (const AppError& e) {
            EXPECT_EQ(e.Description, c.descripcion);
            EXPECT_EQ(e.Number, kErrorModulo);
            EXPECT_EQ(e.Source, "seccion getFechafromString de Módulo modEntidadesTarvelo:: Validando Fecha desde "
                                "String nro: 2");
        }
    }
}

TEST(Registros, SentenciasExactasEnAmbosSeparadores) {
    EntornoPrueba e;
    e.App.Config.ORIGEN = "200";
    e.Trabajo("insert into ORG values ('AR1','320','1')");
    RegistroH h = getRegistroHfromString(LineaH{.Factura = "A'1"}.Texto());
    RegistroP p = getRegistroPfromString(LineaP{.Articulo = "O'BRIEN"}.Texto());
    // Statements carry "." whatever the locale's separator.
    for (char separador : {'.', ','}) {
        FijarSeparadorDecimal(separador);
        EXPECT_EQ(getSQLfromRegH(e.App, h, 3, "1001//01"),
                  "insert into ART (INTNRO,ARTORD,ARTNRO,ARTCAN,ARTTOT,ARTUNI,ARTFAC,PRCCAN,PRCCTC,PRCVIN,PRCDST,"
                  "ARTORG,PRCORI,PRCESM,PRCTDS) values ('1001//01',3,'MOD VAR',1,12345.67,12345.67,'A''1',1,'CTC1',"
                  "'VIN1','320','200','200','1','ECR1')");
        EXPECT_EQ(getSQLfromRegP(e.App, p, "1001//01", 7, ""),
                  "insert into ARTINS(INTNRO, PARENTART ,IdReg ,DIT ,Item ,SubItem ,Posicion ,CTIT ,cif,Cantidad) "
                  "values ('1001//01','MOD VAR',7,'23001IT04000123X','0001','0002','8708.29.99.900A','',25,2.5)");
        EXPECT_EQ(getSQLfromRegP(e.App, p, "1001//01", 7, "4"),
                  "insert into ARTINS(INTNRO, PARENTART ,IdReg ,DIT ,Item ,SubItem ,Posicion ,CTIT ,cif,IDPARENT,"
                  "Cantidad) values ('1001//01','MOD VAR',7,'23001IT04000123X','0001','0002','8708.29.99.900A','',"
                  "25,4,2.5)");
        EXPECT_EQ(getSQLfromRegPtoART(e.App, p, "1001//01", 5, "ICR2"),
                  "insert into ART (INTNRO,ARTORD,ARTNRO,ARTCAN,ARTTOT,ARTUNI,ARTFAC,PRCCAN,PRCCTC,PRCVIN,PRCDST,"
                  "ARTORG,PRCORI,PRCESM,PRCNCM,PRCTDS) values ('1001//01',5,'O''BRIEN',02.50,12.50,05.00000,'',"
                  "02.50,'','','320','001','001','1','8708.29.99.900A','ICR2')");
    }
    FijarSeparadorDecimal('.');
    // The link of a number's input lines to its first article.
    SentenciaSql s;
    SentenciaDeEnlace("1001//01", "O'BRIEN", 12, "C'1", s);
    EXPECT_EQ(s.TextoSql(),
              "update ARTINS set IDPARENT = 12, CTIT = 'C''1' where INTNRO = '1001//01' and PARENTART = 'O''BRIEN'");
    EXPECT_EQ(s.NumValores(), 4u);
    // IDPARENT stands unquoted: anything but an order number is refused.
    EXPECT_THROW(getSQLfromRegP(e.App, p, "1001//01", 7, "1); drop table ART; --"), AppError);

    // Model and variant joined without the blank when the setting is on, in both records.
    e.App.Config.MODELOVARIANTESINSPC = true;
    EXPECT_NE(getSQLfromRegH(e.App, h, 1, "X").find(",'MODVAR',"), std::string::npos);
    EXPECT_NE(getSQLfromRegP(e.App, p, "X", 1, "").find(",'MODVAR',"), std::string::npos);
}

TEST(Registros, NormalizarValor) {
    struct Caso {
        const char* entrada;
        const char* argumento;
        const char* resultado;
    } casos[] = {{"  ab-c.d  ", "AB-C.D", "AB C D"},
                 {"ñandú", "ÑANDÚ", "ÑAND "},
                 {"abcdefghijklmnopqrstuvwxy", "ABCDEFGHIJKLMNOPQRSTU", "ABCDEFGHIJKLMNOPQRSTU"},
                 {"1/2,3&(4)", "1/2,3&(4)", "1/2,3& 4 "}};
    for (const Caso& c : casos) {
        std::string v = c.entrada;
        EXPECT_EQ(modGlobal::NormalizarValor(v), c.resultado) << c.entrada;
        EXPECT_EQ(v, c.argumento);
    }
}

TEST(Registros, VinEnSufijoAM) {
    struct Caso {
        const char* sufijos;
        const char* resultado;
    } casos[] = {{"AA(X)-AM(VIEJO)-AB-", "AA(X)-AM(8AJ99)-AB-"},
                 {"AA-AM()-AM(Z)-", "AA-AM(8AJ99)-AM(Z)-"}, // only the first
                 {"AM(VIEJO)-AB-", "AM(VIEJO)-AB-"},        // at the start: unchanged
                 {"AA-AB-", "AA-AB-"}};
    for (const Caso& c : casos)
        EXPECT_EQ(ImplementarVINenSufijos(c.sufijos, "8AJ99"), c.resultado);
    try {
        ImplementarVINenSufijos("AA-AM(X", "V");
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number, kErrorEnlace);
        EXPECT_EQ(e.Source.rfind("ImplementarVINenSufijos.modEntidadesTarvelo.Velmarion ", 0), 0u);
    }
}

TEST(Registros, SelectTopSeTraduce) {
    EXPECT_EQ(Almacor::Gestor::TraducirSql("select top 1 ARTORD from ART where A = 'top 2' order by artord"),
              "select ARTORD from ART where A = 'top 2' order by artord limit 1");
    EXPECT_EQ(Almacor::Gestor::TraducirSql("select topx from T"), "select topx from T");
}
