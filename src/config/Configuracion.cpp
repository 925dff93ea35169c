#include "config/Configuracion.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/Ajustes.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <cmath>
#include <optional>

namespace {
// Where nothing was remembered, the first entry is selected.
int Posicion(int recordada, size_t elementos) {
    if (elementos == 0)
        return -1;
    return recordada >= 0 && recordada < static_cast<int>(elementos) ? recordada : 0;
}
// Whether the table holds the value, read through `db`; true when the table is empty.
bool EnTabla(Conexion& db, const std::string& tabla, const std::string& columna, const std::string& valor) {
    Recordset rs;
    db.Sql(SentenciaSql("select count(*) as n from ").Sql(tabla));
    if (!db.CrearRs(rs) || rs.Fields("n").Numero() == 0)
        return true;
    db.Sql(SentenciaSql("select ")
               .Sql(columna)
               .Sql(" from ")
               .Sql(tabla)
               .Sql(" where upper(")
               .Sql(columna)
               .Sql(") = upper(")
               .Texto(valor)
               .Sql(") limit 1"));
    return db.CrearRs(rs);
}

// The characters of a suffix value: A-Z, Ñ, digits, "/", ",", "&" and blanks.
bool CaracterDeSufijo(char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'Ñ' || c == U'/' || c == U',' || c == U'&' ||
           c == U' ';
}

} // namespace

std::string AjusteInvalido(Aplicacion& app, const std::string& clave, const std::string& valor) {
    if (valor.find_first_of("\r\n") != std::string::npos)
        return "El valor de " + clave + " no puede tener saltos de línea.";
    if (clave == "ORIGEN") {
        if (Trim(valor).empty())
            return "Debe ingresar un origen por defecto";
        if (!EnTabla(app.Db, "pais", "id", Trim(valor)))
            return "El origen " + Trim(valor) + " no es un país de la tabla de países.";
    } else if (clave == "INTCAT") {
        if (!EnTabla(app.Entidades->getDataConnectionByEntity("CATALOGOS"), "catalogo", "idcatalogo", valor))
            return "El catálogo " + valor + " no existe en la tabla de catálogos.";
    } else if (clave == "INTDUN") {
        if (!EnTabla(app.Entidades->getDataConnectionByEntity("INTERNOS"), "unidades", "id", valor))
            return "La unidad " + valor + " no existe en la tabla de unidades.";
    } else if (clave == "AA_MARCA") {
        std::u32string v = Utf8aU32(UCase(valor));
        if (v.size() > 21)
            return "La marca (sufijo AA) admite hasta 21 caracteres; tiene " + std::to_string(v.size()) + ".";
        for (char32_t c : v)
            if (!CaracterDeSufijo(c))
                return "La marca (sufijo AA) solo admite letras, números, blancos y / , &: \"" + valor +
                       "\" no es válida.";
    } else if (clave == "MODELOVARIANTESINSPC") {
        if (valor != "0" && valor != "1")
            return "MODELOVARIANTESINSPC admite 0 o 1, no " + valor + ".";
    }
    return {};
}

void FormConfig::Form_Load() {
    const std::string modelo = m_app.Almacen->GetSetting("MODELOVARIANTESINSPC", "0");
    chkModeloyVariantesinespacio = EsNumerico(modelo) ? static_cast<int>(std::lround(ValorNumerico(modelo))) : 0;
    txtMarca = m_app.Almacen->GetSetting("AA_MARCA", "");
    cboIdUnidad.clear();
    cboUnidad.clear();
    unidad = -1;
    txtOrigen = m_app.Almacen->GetSetting("ORIGEN", "");

    const std::string intdun = m_app.Almacen->GetSetting("INTDUN", "");
    int recordada = -1;
    Recordset rs;
    Conexion& internos = m_app.Entidades->getDataConnectionByEntity("INTERNOS");
    internos.Sql("select id,descripcion from unidades order by descripcion");
    if (internos.CrearRs(rs)) {
        for (; !rs.Eof(); rs.MoveNext()) {
            cboUnidad.push_back(rs.Fields("descripcion").Texto());
            cboIdUnidad.push_back(rs.Fields("id").Texto());
            if (rs.Fields("id").Texto() == intdun)
                recordada = static_cast<int>(rs.AbsolutePosition() - 1);
        }
    }
    unidad = Posicion(recordada, cboUnidad.size());

    const std::string intcat = m_app.Almacen->GetSetting("INTCAT", "");
    recordada = -1;
    ORI_CargarListado();

    cboIdCatalogo.clear();
    cboCatalogo.clear();
    catalogo = -1;
    Conexion& catalogos = m_app.Entidades->getDataConnectionByEntity("CATALOGOS");
    catalogos.Sql("select idcatalogo, descripcion from catalogo order by descripcion");
    if (catalogos.CrearRs(rs)) {
        for (; !rs.Eof(); rs.MoveNext()) {
            const std::string id = rs.Fields("idcatalogo").Texto();
            cboIdCatalogo.push_back(id);
            cboCatalogo.push_back("[" + id + "] " + rs.Fields("descripcion").Texto());
            if (id == intcat)
                recordada = static_cast<int>(rs.AbsolutePosition() - 1);
        }
    }
    catalogo = Posicion(recordada, cboCatalogo.size());
}

bool FormConfig::GrabarySalir() {
    if (Trim(txtOrigen).empty()) {
        m_app.Op->MsgBox("Debe ingresar un origen por defecto", Operador::Icono::Exclamacion);
        return false;
    }
    for (const auto& [clave, valor] : {std::pair<const char*, std::string>{"ORIGEN", UCase(txtOrigen)},
                                       std::pair<const char*, std::string>{"AA_MARCA", txtMarca}}) {
        std::string motivo = AjusteInvalido(m_app, clave, valor);
        if (!motivo.empty()) {
            m_app.Op->MsgBox(motivo, Operador::Icono::Exclamacion);
            return false;
        }
    }
    Ajustes& c = m_app.Config;
    // A store that cannot be written still leaves every value in force for this
    // run; the first failure is raised once they all are.
    std::optional<AppError> fallo;
    auto guardar = [&](const char* clave, const std::string& valor) {
        try {
            m_app.Almacen->SaveSetting(clave, valor);
        } catch (const AppError& e) {
            if (!fallo)
                fallo = e;
        }
    };
    c.ORIGEN = UCase(txtOrigen);
    guardar("ORIGEN", c.ORIGEN);
    // With an empty list (a customs database without catalogs or units) there
    // is no entry to read: the setting keeps its value instead of being lost.
    if (catalogo >= 0 && catalogo < static_cast<int>(cboIdCatalogo.size())) {
        c.INTCAT = cboIdCatalogo[catalogo];
        guardar("INTCAT", c.INTCAT);
    }
    if (unidad >= 0 && unidad < static_cast<int>(cboIdUnidad.size())) {
        c.INTDUN = cboIdUnidad[unidad];
        guardar("INTDUN", c.INTDUN);
    }
    c.AA_MARCA = txtMarca;
    guardar("AA_MARCA", c.AA_MARCA);
    const std::string modelo = std::to_string(chkModeloyVariantesinespacio);
    guardar("MODELOVARIANTESINSPC", modelo);
    c.MODELOVARIANTESINSPC = EsUno(modelo);
    if (fallo)
        throw *fallo;
    return true;
}

void FormConfig::ORI_CargarListado() {
    lstRELPAIS = RelacionPais::ORI_CargarListado(m_app);
}

void FormConfig::Ori_Nuevo() {
    // A new relation starts from an empty code, not from whatever the last
    // dialog handed back.
    m_app.Retorno1.clear();
    m_app.Retorno2.clear();
    m_app.Op->MostrarRelPais(m_app);
    ORI_CargarListado();
}

bool FormConfig::ORI_Eliminar(int indice) {
    if (indice < 0 || indice >= static_cast<int>(lstRELPAIS.size()))
        return false;
    const RelacionPais::Relacion r = lstRELPAIS[indice];
    if (!RelacionPais::ORI_Eliminar(m_app, r.PAI, r.ORI))
        return false;
    lstRELPAIS.erase(lstRELPAIS.begin() + indice);
    return true;
}
