// The runner's command that puts the customs-declaration database on a
// PostgreSQL server: init-servidor.
#include "app/Arranque.h"
#include "app/Consola.h"
#include "app/Demo.h"
#include "platform/Ajustes.h"
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"
#include "platform/EsquemaServidor.h"
#include "platform/Postgres.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

namespace Consola {

int CmdInitServidor(Contexto& c) {
    bool demo = c.Bandera("--demo");
    bool forzar = c.Bandera("--force");
    c.Exigir(1, "init-servidor CONNINFO [--demo] [--force]");
    const std::string conninfo = c.Args[0];
    if (Postgres::Gestor::LlevaContrasena(conninfo)) {
        // Written into entidades.ini it would sit in a plain file for anyone to read.
        *c.Out << "EXCLAMACION: La cadena de conexión no debe llevar la contraseña: use PGPASSWORD, ~/.pgpass o "
                  "PGPASSFILE.\n\n";
        return 1;
    }
    Postgres::Gestor servidor(conninfo);
    servidor.Conectar();
    if (EsquemaServidor::TieneTablas(servidor) && !forzar) {
        *c.Out << "EXCLAMACION: La base del servidor " << servidor.Destino()
               << " ya tiene las tablas del sistema aduanero. Use --force para crearlas de nuevo (se pierden sus "
                  "datos).\n\n";
        return 1;
    }
    EsquemaServidor::Crear(servidor, forzar);

    // The work database stays on the workstation: created when missing.
    fs::path db = fs::path(c.Home) / "db";
    fs::create_directories(db);
    fs::path trabajo = db / "Dantremos.db";
    Almacor::Gestor t;
    if (fs::exists(trabajo)) {
        t.CadenaConexion("Provider=SQLite;Data Source=" + trabajo.string());
        t.Conectar();
    } else {
        t.CrearArchivo(trabajo.string());
        Esquema::CrearTrabajo(t);
        Demo::CargarPaises(t, Arranque::CarpetaDatos());
    }
    if (demo) {
        AlmacenAjustes ajustes(c.ArchivoAjustes);
        Demo::CargarReferencias(t, servidor, Arranque::CarpetaDatos());
        Demo::CargarCatalogo(t, servidor, ajustes, Arranque::CarpetaDatos());
    }
    {
        std::ofstream f(db / "entidades.ini");
        f << "; Base de datos de cada entidad del sistema aduanero: un servidor PostgreSQL (cadena de conexión de "
             "libpq; la contraseña en PGPASSWORD, ~/.pgpass o PGPASSFILE).\n";
        for (const char* e : {"CATALOGOS", "NCM", "INTERNOS"})
            f << "[" << e << "]\nServidor=" << conninfo << "\n";
    }
    *c.Out << "Tablas del sistema aduanero creadas en el servidor " << servidor.Destino() << "\n";
    if (demo)
        *c.Out << "Datos de demostración cargados (nomenclador, sufijos, unidades, catálogo, relaciones y "
                  "configuración).\n";
    *c.Out << "Entidades apuntadas al servidor en " << (db / "entidades.ini").string() << "\n";
    return 0;
}

} // namespace Consola
