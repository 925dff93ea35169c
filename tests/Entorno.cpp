#include "Entorno.h"

#include "platform/SentenciaSql.h"

#include "app/Arranque.h"
#include "app/Consola.h"
#include "app/Demo.h"
#include "config/RelacionPais.h"
#include "platform/Esquema.h"
#include "platform/EsquemaServidor.h"
#include "platform/Postgres.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

Operador::Respuesta OperadorPrueba::MsgBox(const std::string& texto, Icono icono, Botones botones) {
    Mensajes.push_back({texto, icono, botones});
    if (botones == Botones::Aceptar)
        return Respuesta::Aceptar;
    Preguntas.push_back(texto);
    if (RespuestasSiNo.empty())
        return PorDefecto;
    Respuesta r = RespuestasSiNo.front();
    RespuestasSiNo.pop_front();
    return r;
}

bool OperadorPrueba::Preguntar(const std::string& id, const std::string& texto) {
    IdsPreguntas.push_back(id);
    return Operador::Preguntar(id, texto);
}

std::string OperadorPrueba::InputBox(const std::string& id, const std::string&, const std::string&,
                                     const std::string& defecto) {
    EntradasPedidas.push_back(id);
    Defectos.push_back(defecto);
    // An input box nobody scripted would come back for ever: the run stops.
    if (Entradas.empty())
        throw Cancelacion("sin entrada para " + id + " (" + defecto + ")");
    std::string r = Entradas.front();
    Entradas.pop_front();
    return r == "<defecto>" ? defecto : r;
}

std::string OperadorPrueba::ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                                         const std::string&) {
    OpcionesPedidas.push_back(id);
    auto it = Opciones.find(id);
    if (it == Opciones.end() || it->second.empty())
        return {};
    for (const std::string& l : lineas)
        if (l.rfind(it->second, 0) == 0)
            return l;
    return {};
}

std::string OperadorPrueba::PreguntarTipo() {
    ++PreguntasTipo;
    return Tipo;
}

void OperadorPrueba::MostrarRelPais(Aplicacion& app) {
    ++DialogosRelacion;
    if (AlMostrarRelPais) {
        AlMostrarRelPais(app);
        return;
    }
    RelacionPais::FormRelPais f(app);
    f.Form_Load();
    auto it = Relaciones.find(f.txtValor);
    if (it == Relaciones.end())
        throw Cancelacion("sin relación para " + f.txtValor);
    f.f_Grabar(f.txtValor, f.IndiceDe(it->second.first), it->second.second);
}

std::string CarpetaDatosFuente() {
    return VELMARION_DATA_DIR;
}

std::string ServidorDePrueba() {
    const char* s = std::getenv("VELMARION_PRUEBA_SERVIDOR");
    return s ? s : "";
}

bool EnServidor() {
    return !ServidorDePrueba().empty();
}

EntornoPrueba::EntornoPrueba(bool referencias) {
    static std::mt19937_64 azar{std::random_device{}()};
    uint64_t numero = azar();
    Home = fs::temp_directory_path() / ("velmarion-prueba-" + std::to_string(numero));
    fs::create_directories(Home / "db");
    if (EnServidor()) {
        EsquemaPrueba = "prueba_" + std::to_string(numero % 1000000000000ULL);
        std::string conninfo = ServidorDePrueba() + " options='-csearch_path=" + EsquemaPrueba + ",public'";
        Conninfo = conninfo;
        {
            Postgres::Gestor base(ServidorDePrueba());
            base.Conectar();
            base.EjecutarDirecto("create schema " + EsquemaPrueba);
        }
        Almacor::Gestor t;
        t.CrearArchivo((Home / "db" / "Dantremos.db").string());
        Esquema::CrearTrabajo(t);
        Demo::CargarPaises(t, CarpetaDatosFuente());
        Postgres::Gestor a(conninfo);
        a.Conectar();
        EsquemaServidor::Crear(a, false);
        if (referencias)
            Demo::CargarReferencias(t, a, CarpetaDatosFuente());
        std::ofstream ini(Home / "db" / "entidades.ini");
        for (const char* entidad : {"CATALOGOS", "NCM", "INTERNOS"})
            ini << "[" << entidad << "]\nServidor=" << conninfo << "\n";
    } else {
        Almacor::Gestor t, a;
        t.CrearArchivo((Home / "db" / "Dantremos.db").string());
        Esquema::CrearTrabajo(t);
        a.CrearArchivo((Home / "db" / "Corvex.db").string());
        Esquema::CrearAduana(a);
        Demo::CargarPaises(t, CarpetaDatosFuente());
        if (referencias)
            Demo::CargarReferencias(t, a, CarpetaDatosFuente());
    }
    App.Home = Home.string();
    App.Almacen = std::make_unique<AlmacenAjustes>((Home / "ajustes.ini").string());
    App.Op = &Op;
    Arranque::Form_Load(App, "");
    Op.Mensajes.clear(); // the "not configured" warning of an empty settings store
}

EntornoPrueba::~EntornoPrueba() {
    App.Db.Desconectar();
    App.Entidades.reset();
    App.Almacen.reset();
    if (!EsquemaPrueba.empty()) {
        try {
            Postgres::Gestor base(ServidorDePrueba());
            base.Conectar();
            base.EjecutarDirecto("drop schema " + EsquemaPrueba + " cascade");
        } catch (...) {
            // The throw-away server goes with everything in it.
        }
    }
    std::error_code ec;
    fs::remove_all(Home, ec);
}

long EntornoPrueba::Trabajo(const SentenciaSql& sentencia) {
    return App.Db.Ejecutar(sentencia);
}

long EntornoPrueba::EnAduana(const SentenciaSql& sentencia) {
    return Aduana().Ejecutar(sentencia);
}

SentenciaSql& Dato(SentenciaSql& s, const std::string& literal) {
    if (literal == "null")
        return s.Sql("null");
    if (literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'') {
        std::string texto;
        for (size_t i = 1; i + 1 < literal.size(); ++i) {
            texto += literal[i];
            if (literal[i] == '\'')
                ++i; // a doubled quote is one
        }
        return s.Texto(texto);
    }
    return s.Numero(std::string_view(literal));
}

Recordset EntornoPrueba::Filas(const SentenciaSql& sentencia) {
    Recordset rs;
    App.Db.Sql(sentencia);
    App.Db.CrearRs(rs);
    return rs;
}

Recordset EntornoPrueba::FilasAduana(const SentenciaSql& sentencia) {
    Recordset rs;
    Aduana().Sql(sentencia);
    Aduana().CrearRs(rs);
    return rs;
}

std::string EntornoPrueba::Valor(const SentenciaSql& sentencia) {
    Recordset rs = Filas(sentencia);
    return rs.Eof() ? "" : rs.Fields(size_t{0}).Texto();
}

std::string EntornoPrueba::ValorAduana(const SentenciaSql& sentencia) {
    Recordset rs = FilasAduana(sentencia);
    return rs.Eof() ? "" : rs.Fields(size_t{0}).Texto();
}

fs::path EntornoPrueba::Archivo(const std::string& nombre, const std::string& contenido) {
    fs::path p = Home / nombre;
    std::ofstream(p, std::ios::binary) << contenido;
    return p;
}

int EntornoPrueba::Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", Home.string(), "--settings", (Home / "ajustes.ini").string()});
    std::ostringstream o, r;
    int rc = Consola::Ejecutar(args, o, r);
    SalidaCli = o.str();
    return rc;
}
