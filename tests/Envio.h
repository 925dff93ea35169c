#pragma once
// Shipment lines for the import tests: every field at its columns, blanks
// elsewhere, so a test names only the fields it is about.
#include "platform/Texto.h"

#include <string>
#include <utility>
#include <vector>

// A line of `largo` characters starting with `tipo`, each value at its 1-based column.
inline std::string LineaEnvio(char tipo, size_t largo, const std::vector<std::pair<size_t, std::string>>& campos) {
    std::u32string l(largo, U' ');
    l[0] = static_cast<char32_t>(tipo);
    for (const auto& [columna, valor] : campos) {
        std::u32string v = Utf8aU32(valor);
        for (size_t i = 0; i < v.size() && columna - 1 + i < largo; ++i)
            l[columna - 1 + i] = v[i];
    }
    return U32aUtf8(l);
}

struct LineaH {
    std::string Interno = "1001", Sufijo = "01", Factura = "F1", CTC = "CTC1", Modelo = "MOD", Variante = "VAR",
                Importe = "000001234567", VIN = "VIN1", Pais = "AR1", Tipo = "ECR1";
    std::string Texto() const {
        return LineaEnvio('H', 129,
                          {{12, Interno},
                           {22, Sufijo},
                           {24, Factura},
                           {36, CTC},
                           {56, Modelo},
                           {65, Variante},
                           {86, Importe},
                           {98, VIN},
                           {122, Pais},
                           {126, Tipo}});
    }
};

struct LineaP {
    std::string Articulo = "PZ1", Cantidad = "0000000002500", Cif = "0000000000000000100000",
                Posicion = "8708.29.99.900A", Fecha = "20230215", DIT = "23001IT04000123X", Item = "0001",
                SubItem = "0002", Modelo = "MOD", Variante = "VAR", Precio = "0000000000000000050000", Origen = "001",
                Pais = "AR1";
    std::string Texto() const {
        return LineaEnvio('P', 225,
                          {{14, Articulo},
                           {35, Cantidad},
                           {50, Cif},
                           {72, Posicion},
                           {87, Fecha},
                           {95, DIT},
                           {118, Item},
                           {122, SubItem},
                           {126, Modelo},
                           {135, Variante},
                           {154, Precio},
                           {176, Origen},
                           {179, Pais},
                           {182, std::string(22, '0')},
                           {204, std::string(22, '0')}});
    }
};
