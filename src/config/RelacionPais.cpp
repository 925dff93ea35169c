#include "config/RelacionPais.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <map>

namespace RelacionPais {

using Icono = Operador::Icono;

std::vector<Relacion> ORI_CargarListado(Aplicacion& app) {
    std::vector<Relacion> r;
    Recordset rs;
    app.Db.Sql("select * from ORG order by PAI");
    if (app.Db.CrearRs(rs)) {
        for (; !rs.Eof(); rs.MoveNext())
            r.push_back({rs.Fields("PAI").Texto(), rs.Fields("ORI").Texto(), rs.Fields("ESM").Texto(), {}});
    }
    // The country's name beside its code, from the one country list; a code
    // missing from it keeps an empty name.
    if (!r.empty()) {
        std::map<std::string, std::string> nombres;
        Recordset paises;
        app.Db.Sql("select id, descripcion from PAIS");
        if (app.Db.CrearRs(paises))
            for (; !paises.Eof(); paises.MoveNext())
                nombres[UCase(paises.Fields("id").Texto())] = paises.Fields("descripcion").Texto();
        for (Relacion& x : r)
            if (auto n = nombres.find(UCase(x.ORI)); n != nombres.end())
                x.Pais = n->second;
    }
    return r;
}

bool ORI_Eliminar(Aplicacion& app, const std::string& pai, const std::string& ori) {
    if (!app.Op->Preguntar(Operador::Preguntas::EliminarRelacion, "Confirma eliminar la relación " + pai + " - " + ori))
        return false;
    app.Db.Sql(SentenciaSql("delete from ORG where PAI = ").Texto(pai).Sql(" and ORI = ").Texto(ori));
    return app.Db.Ejecutar() > 0;
}

void FormRelPais::Form_Load() {
    try {
        txtValor = m_app.Retorno1;
        m_app.Retorno1.clear();
        Recordset rs;
        m_app.Db.Sql("select * from PAIS order by Descripcion");
        if (m_app.Db.CrearRs(rs)) {
            cboPais.clear();
            cboidPais.clear();
            for (; !rs.Eof(); rs.MoveNext()) {
                std::string id = rs.Fields("id").Texto();
                cboidPais.push_back(id);
                cboPais.push_back(rs.Fields("descripcion").Texto() + " (" + id + ")");
            }
            // No country is chosen for the operator: a relation saved by a
            // hasty F11 would send every article of the code to the first one.
            seleccion = -1;
        }
    } catch (...) {
        AppError e = AppError::Actual();
        m_app.Op->MsgBox(e.Mensaje() + " - seccion [Ostrevan.frmRelPais.Form_Load]", Icono::Critico);
    }
}

int FormRelPais::IndiceDe(const std::string& id) const {
    for (size_t i = 0; i < cboidPais.size(); ++i)
        if (IgualSinMayusculas(cboidPais[i], id))
            return static_cast<int>(i);
    return -1;
}

bool FormRelPais::f_Grabar(const std::string& valor, int indicePais, const std::string& esm) {
    if (Trim(valor).empty()) {
        m_app.Op->MsgBox("el campo 'Valor origen' no puede estar vacio", Icono::Critico);
        return false;
    }
    if (Trim(esm).empty()) {
        m_app.Op->MsgBox("El campo Estado de Mercaderia no puede estar vacio", Icono::Critico);
        return false;
    }
    // No country chosen (or none to choose from): there is nothing to store.
    if (indicePais < 0 || indicePais >= static_cast<int>(cboidPais.size())) {
        m_app.Op->MsgBox("Seleccione el país de origen", Icono::Exclamacion);
        return false;
    }
    // One relation per file code: a second one would never be used.
    Recordset rs;
    m_app.Db.Sql(SentenciaSql("select ORI from ORG where PAI = ").Texto(valor));
    if (m_app.Db.CrearRs(rs)) {
        m_app.Op->MsgBox("Ya existe una relación para el valor " + valor + " (país " + rs.Fields("ORI").Texto() +
                             "). Elimínela antes de crear otra.",
                         Icono::Exclamacion);
        return false;
    }
    const std::string& ori = cboidPais[indicePais];
    m_app.Db.Sql(SentenciaSql("insert into ORG (PAI, ORI, ESM) values (")
                     .Texto(valor)
                     .Sql(",")
                     .Texto(ori)
                     .Sql(",")
                     .Texto(Trim(esm))
                     .Sql(")"));
    if (m_app.Db.Ejecutar() > 0) {
        m_app.Retorno1 = ori;
        m_app.Retorno2 = esm;
        return true;
    }
    return false;
}

void FormRelPais::Salir() {
    m_app.Retorno1.clear();
}

} // namespace RelacionPais
