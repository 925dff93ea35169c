#include "transfer/Transferencia.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"
#include "transfer/RegistroDespacho.h"

#include <algorithm>
#include <vector>

namespace {

using Icono = Operador::Icono;

// One transaction on every customs database the run writes, for the whole
// run. Whatever was not committed is undone when the run leaves, by whatever
// way it leaves. Databases it only reads (the nomenclator) are left alone, so a
// read-only one does not stop the transfer.
class TransaccionAduana {
public:
    explicit TransaccionAduana(Aplicacion& app) {
        for (const char* entidad : {"INTERNOS", "CATALOGOS"}) {
            Conexion* g = &app.Entidades->getDataConnectionByEntity(entidad);
            if (std::find(m_abiertas.begin(), m_abiertas.end(), g) != m_abiertas.end())
                continue; // entities sharing a file share the connection
            g->ComenzarTransaccion();
            m_abiertas.push_back(g);
        }
    }
    ~TransaccionAduana() { Deshacer(); }
    TransaccionAduana(const TransaccionAduana&) = delete;
    TransaccionAduana& operator=(const TransaccionAduana&) = delete;

    void Confirmar() {
        while (!m_abiertas.empty()) {
            m_abiertas.front()->ConfirmarTransaccion();
            m_abiertas.erase(m_abiertas.begin());
        }
    }
    void Deshacer() noexcept {
        for (Conexion* g : m_abiertas) {
            try {
                g->DeshacerTransaccion();
            } catch (...) {
                // Closing the connection would undo it as well; nothing more to do here.
            }
        }
        m_abiertas.clear();
    }

private:
    std::vector<Conexion*> m_abiertas;
};

// The discharge stage's own rows, undone when it fails while the run goes on.
bool DescargaCompleta(Aplicacion& app) {
    const std::string punto = "descarga";
    Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
    internos.Savepoint(punto);
    bool ok = false;
    try {
        ok = FRAM3_Transfer_B_Descarga(app);
    } catch (...) {
        internos.VolverASavepoint(punto);
        throw;
    }
    if (ok) {
        internos.LiberarSavepoint(punto);
    } else {
        internos.VolverASavepoint(punto);
        app.TotalDescarga = 0;
    }
    return ok;
}

} // namespace

bool FRAM3_Transfer_A_Validar(Aplicacion& app) {
    try {
        Recordset rs;
        app.Db.Sql("select count(INTNRO) as Cant from ART where INTNRO = '" + SqlTexto(app.InternoActual) +
                   "' and (PRCCRC <> 'OK' or PRCCRC is null)");
        if (!app.Db.CrearRs(rs))
            return false;
        if (app.Formato.EsNumero(rs.Fields("Cant")) == 0)
            return true;
        app.Op->MsgBox(std::string("Hay registros para depurar.") + vbCrLf + vbCrLf +
                           "Haga click en el boton \"DATOS SIN DEPURAR\"",
                       Icono::Exclamacion);
        return false;
    } catch (const Cancelacion&) {
        throw;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain_FRAM3_Transfer_A_Validar]", Icono::Critico);
        return false;
    }
}

Resultado FRM3_Tranferir(Aplicacion& app) {
    const std::string interno = app.InternoActual;
    try {
        app.Op->Estado("Validando datos...");
        if (!FRAM3_Transfer_A_Validar(app))
            return Resultado::Detenido;

        app.Op->Estado("Transfiriendo al Corvex Windows...");
        app.Op->ProgresoVisible(true);

        TransaccionAduana transaccion(app);
        Resultado pasaje = FRAM3_Transfer_B_Pasaje(app);
        if (pasaje != Resultado::Hecho)
            return pasaje;

        app.TotalDescarga = 0;
        bool descargaOk = DescargaCompleta(app);

        app.Op->Estado("Actualizando catalogo...");
        if (!FRAM3_Transfer_C_ActualCAT(app))
            return Resultado::Fallido;

        bool confirmada = false;
        Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
        Recordset rs;
        internos.Sql("select count(interno) as Total from subitems where interno = '" + SqlTexto(interno) + "'");
        if (internos.CrearRs(rs)) {
            if (app.Formato.EsNumero(rs.Fields("total")) > 0) {
                modGlobal::Registrar_Despacho_Reset(app, "", interno);
                modGlobal::Registrar_Despacho(app, "", interno, "CANTIDAD_DESCARGAR_TOTAL",
                                              ADosDecimales(app.TotalDescarga));
                // Committed before the operator is told it arrived.
                transaccion.Confirmar();
                confirmada = true;
                app.Op->MsgBox("Se transfirio " + rs.Fields("total").Texto() + " articulos en el interno " + interno,
                               Icono::Informacion);
            } else {
                app.Op->MsgBox("ERROR: No se transfirio los articulos en el interno " + interno, Icono::Exclamacion);
            }
        }
        transaccion.Deshacer();
        app.Op->Estado("Fin de proceso");
        app.Op->ProgresoVisible(false);
        if (!confirmada)
            return Resultado::Fallido;
        return descargaOk ? Resultado::Hecho : Resultado::Fallido;
    } catch (const Cancelacion&) {
        throw;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.FRAM3_Transferir]");
        return Resultado::Fallido;
    }
}
