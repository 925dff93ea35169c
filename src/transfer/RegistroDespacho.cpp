#include "transfer/RegistroDespacho.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <cmath>
#include <cstdint>

namespace modGlobal {

namespace {
constexpr long kErrorDespacho = -2146102393; // 0x80151387
constexpr int kIntentosRegistro = 5;

Conexion& Internos(Aplicacion& app) {
    return app.Entidades->getDataConnectionByEntity("INTERNOS");
}

[[noreturn]] void Relanzar(const char* rutina, int linea) {
    throw AppError::Actual().Relanzar(kErrorDespacho, std::string("[ DANTREMOS21.modGlobal.") + rutina + " Linea " +
                                                          std::to_string(linea) + " ]");
}
} // namespace

void Registrar_Despacho_Reset(Aplicacion& app, std::string origen, const std::string& interno) {
    int linea = 0;
    try {
        linea = 1;
        origen = kOrigenDespacho;
        linea = 2;
        Internos(app).Sql(SentenciaSql("delete from DESPACHO_RESUMEN where ORIGEN = ")
                              .Texto(origen)
                              .Sql(" and INTERNO = ")
                              .Texto(interno));
        Internos(app).Ejecutar();
    } catch (...) {
        Relanzar("Registrar_Despacho_Reset", linea);
    }
}

void Registrar_Despacho(Aplicacion& app, std::string origen, const std::string& interno, const std::string& campo,
                        double valor) {
    int linea = 0;
    try {
        linea = 1;
        origen = kOrigenDespacho;
        // Two workstations may compute the same id at once: the loser of the
        // race reads the maximum again and takes the next one.
        Internos(app).Reintentando(
            [&] {
                linea = 2;
                Recordset rs;
                Internos(app).Sql(SentenciaSql("select max(id) as total from DESPACHO_RESUMEN where INTERNO = ")
                                      .Texto(interno)
                                      .Sql(" and ORIGEN = ")
                                      .Texto(origen));
                Internos(app).CrearRs(rs);
                linea = 3;
                // A null maximum (no figure yet) counts as 0.
                double maximo = rs.Eof() ? 0 : rs.Fields("total").Numero();
                int32_t id = static_cast<int32_t>(std::lround(maximo)) + 1;
                linea = 4;
                Internos(app).Sql(SentenciaSql("insert into DESPACHO_RESUMEN (ORIGEN, id, INTERNO, CAMPO, Valor) "
                                               "values (")
                                      .Texto(origen)
                                      .Sql(",")
                                      .Numero(static_cast<long long>(id))
                                      .Sql(",")
                                      .Texto(interno)
                                      .Sql(",")
                                      .Texto(campo)
                                      .Sql(",")
                                      .Numero(valor)
                                      .Sql(")"));
                Internos(app).Ejecutar();
            },
            kIntentosRegistro);
    } catch (...) {
        Relanzar("Registrar_Despacho", linea);
    }
}

} // namespace modGlobal
