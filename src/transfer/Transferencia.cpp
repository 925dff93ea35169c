#include "transfer/Transferencia.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "transfer/RegistroDespacho.h"

#include <algorithm>
#include <vector>

namespace {

using Icono = Operador::Icono;

// The pre-check refused the interno once the run held the database.
struct Detenida {};

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
        // A rollback that fails closes and reopens the connection, which undoes
        // it as well, so the next run does not find it inside a transaction.
        for (Conexion* g : m_abiertas) {
            std::string nota = g->DeshacerOReconectar();
            if (!nota.empty())
                Nota += nota + vbCrLf;
        }
        m_abiertas.clear();
    }

    std::string Nota; // what went wrong while undoing, for the operator

private:
    std::vector<Conexion*> m_abiertas;
};

// While the run holds its locks no box waits for a click: every other writer
// would wait for the operator too. Plain message boxes are kept and shown
// once the transaction has ended; everything else goes straight through.
class OperadorDiferido : public OperadorReenvio {
public:
    struct Mensaje {
        std::string Texto;
        Icono Icon;
    };
    OperadorDiferido(Aplicacion& app, std::vector<Mensaje>& pendientes)
        : OperadorReenvio(*app.Op), m_app(app), m_pendientes(pendientes) {
        m_app.Op = this;
    }
    ~OperadorDiferido() override { m_app.Op = &m_op; }
    OperadorDiferido(const OperadorDiferido&) = delete;
    OperadorDiferido& operator=(const OperadorDiferido&) = delete;

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        if (botones != Botones::Aceptar)
            return m_op.MsgBox(texto, icono, botones);
        m_pendientes.push_back({texto, icono});
        return Respuesta::Aceptar;
    }

private:
    Aplicacion& m_app;
    std::vector<Mensaje>& m_pendientes;
};

// The work database held by the run from its pre-check to its summary
// register: every stage reads one state of the interno, and a correction or
// undo from another window waits (the connection's busy wait) until the
// declaration is committed or undone. The run writes nothing there, so it ends
// with a rollback. A connection already inside a transaction holds the lock.
class LecturaDelTrabajo {
public:
    explicit LecturaDelTrabajo(Almacor::Gestor& db) : m_db(db), m_propia(!db.EnTransaccion()) {
        if (m_propia)
            m_db.ComenzarTransaccion();
    }
    ~LecturaDelTrabajo() {
        if (m_propia)
            m_db.DeshacerOReconectar();
    }
    LecturaDelTrabajo(const LecturaDelTrabajo&) = delete;
    LecturaDelTrabajo& operator=(const LecturaDelTrabajo&) = delete;

private:
    Almacor::Gestor& m_db;
    bool m_propia;
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
        app.Db.Sql(SentenciaSql("select count(INTNRO) as Cant from ART where INTNRO = ")
                       .Texto(app.InternoActual)
                       .Sql(" and (PRCCRC <> ")
                       .Texto("OK")
                       .Sql(" or PRCCRC is null)"));
        if (!app.Db.CrearRs(rs))
            return false;
        if (app.Formato.EsNumero(rs.Fields("Cant")) == 0)
            return true;
        app.Op->MsgBox(std::string("Hay registros para depurar.") + vbCrLf + vbCrLf +
                           "Haga click en el boton \"DATOS SIN DEPURAR\"",
                       Icono::Exclamacion);
        return false;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain_FRAM3_Transfer_A_Validar]", Icono::Critico);
        return false;
    }
}

namespace {

// The writing stages, inside the transaction `transaccion`; their messages go
// to the deferring operator. `confirmada` tells whether the declaration was committed.
Resultado Escribir(Aplicacion& app, TransaccionAduana& transaccion, bool reemplazar, bool& confirmada) {
    const std::string interno = app.InternoActual;
    // Two workstations transferring the same interno take turns: the second
    // finds the first one's declaration whole and is asked about replacing it.
    app.Entidades->getDataConnectionByEntity("INTERNOS").BloquearClave("interno " + interno);
    Resultado pasaje = FRAM3_Transfer_B_Pasaje(app, reemplazar);
    if (pasaje != Resultado::Hecho)
        return pasaje;

    app.TotalDescarga = 0;
    bool descargaOk = DescargaCompleta(app);

    app.Op->Estado("Actualizando catalogo...");
    // The catalog update inserts the articles it does not find: two runs
    // adding the same article at once would add it twice.
    app.Entidades->getDataConnectionByEntity("CATALOGOS").BloquearClave("catalogo " + app.Config.INTCAT);
    if (!FRAM3_Transfer_C_ActualCAT(app))
        return Resultado::Fallido;

    Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
    Recordset rs;
    internos.Sql(SentenciaSql("select count(interno) as Total from subitems where interno = ").Texto(interno));
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
}

} // namespace

Resultado FRM3_Tranferir(Aplicacion& app) {
    std::vector<OperadorDiferido::Mensaje> pendientes;
    auto mostrar = [&] {
        for (const auto& m : pendientes)
            app.Op->MsgBox(m.Texto, m.Icon);
        pendientes.clear();
    };
    try {
        app.Op->Estado("Validando datos...");
        if (!FRAM3_Transfer_A_Validar(app))
            return Resultado::Detenido;
        // Asked before the transaction: no lock is held while the operator thinks.
        bool reemplazar = false;
        if (FRAM3_Transfer_B_Reemplazo(app, reemplazar) != Resultado::Hecho)
            return Resultado::Detenido;

        Resultado r = Resultado::Fallido;
        bool confirmada = false;
        std::string nota;
        {
            OperadorDiferido diferido(app, pendientes);
            try {
                LecturaDelTrabajo trabajo(app.Db);
                // The check that counts is the one made holding the database:
                // the first only spared the operator a needless question.
                if (!FRAM3_Transfer_A_Validar(app)) {
                    r = Resultado::Detenido;
                    throw Detenida{};
                }
                app.Op->Estado("Transfiriendo al Corvex Windows...");
                app.Op->ProgresoVisible(true);
                TransaccionAduana transaccion(app);
                try {
                    r = Escribir(app, transaccion, reemplazar, confirmada);
                } catch (...) {
                    transaccion.Deshacer();
                    nota = transaccion.Nota;
                    throw;
                }
                transaccion.Deshacer();
                nota = transaccion.Nota;
            } catch (const Detenida&) {
            } catch (...) {
                AppError e = AppError::Actual();
                app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.FRAM3_Transferir]");
                r = Resultado::Fallido;
            }
        }
        // The transaction has ended (committed or undone): now the boxes.
        if (!nota.empty())
            pendientes.push_back({nota, Icono::Critico});
        mostrar();
        return r;
    } catch (...) {
        mostrar(); // the boxes held back, also when the operator stopped the run
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.FRAM3_Transferir]");
        return Resultado::Fallido;
    }
}
