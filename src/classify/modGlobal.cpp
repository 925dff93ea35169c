#include "classify/modGlobal.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Texto.h"

#include <map>

namespace modGlobal {

std::string CompletarPosicion(const std::string& ncm, const std::string& letra) {
    std::string posicion = Trim(ncm);
    if (Len(posicion) == 14)
        posicion += Trim(letra);
    return posicion;
}


std::string FiltrarCaracter(const std::string& caracter) {
    std::u32string u = Utf8aU32(caracter);
    if (u.size() == 1 && CaracterPermitido(u[0]))
        return caracter;
    return " ";
}

std::string NormalizarValor(std::string& valor) {
    valor = UCase(Trim(valor));
    if (Len(valor) > 21)
        valor = Left(valor, 21);
    std::string r;
    for (char32_t c : Utf8aU32(valor)) {
        if (CaracterPermitido(c))
            AgregarUtf8(r, c);
        else
            r += ' ';
    }
    return r;
}

namespace {
// The relations remembered while a RecordarRelaciones lives.
std::map<std::string, std::pair<std::string, std::string>> g_recordadas;
int g_recordando = 0;
} // namespace

RecordarRelaciones::RecordarRelaciones() {
    ++g_recordando;
}

RecordarRelaciones::~RecordarRelaciones() {
    if (--g_recordando == 0)
        g_recordadas.clear();
}

namespace {
bool SinPaises(Aplicacion& app) {
    Recordset rs;
    app.Db.Sql("select count(*) as n from PAIS");
    return !app.Db.CrearRs(rs) || rs.Fields("n").Numero() == 0;
}
} // namespace

std::pair<std::string, std::string> BuscarRelacionPais(Aplicacion& app, const std::string& pai) {
    std::pair<std::string, std::string> r;
    if (pai.empty())
        return r;
    if (g_recordando > 0) {
        auto it = g_recordadas.find(pai);
        if (it != g_recordadas.end())
            return it->second;
    }
    try {
        Recordset rs;
        app.Db.Sql("select ORI, ESM from ORG where PAI = '" + SqlTexto(pai) + "'");
        if (app.Db.CrearRs(rs)) {
            r = {rs.Fields("ORI").Texto(), rs.Fields("ESM").Texto()};
        } else {
            do {
                app.Retorno1 = pai;
                app.Retorno2.clear();
                app.Op->MostrarRelPais(app);
                // Without countries no relation can ever be saved: closing the
                // dialog is then the way out, and the run undoes itself.
                if (app.Retorno1.empty() && SinPaises(app))
                    throw Cancelacion("La tabla de países está vacía: no se puede relacionar el valor " + pai +
                                      ". Cargue los países y vuelva a importar.");
            } while (app.Retorno1.empty());
            r = {app.Retorno1, app.Retorno2};
        }
        if (g_recordando > 0)
            g_recordadas[pai] = r;
    } catch (const Cancelacion&) {
        throw;
    } catch (...) {
        // The look-up shows nothing: the caller goes on with what it has.
    }
    return r;
}

} // namespace modGlobal
