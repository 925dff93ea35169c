#include "global/modGlobal.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <map>

namespace modGlobal {

std::string LetraVerificadora(const std::string& p) {
    static const int kPesos[11] = {8, 6, 19, 17, 13, 11, 9, 7, 5, 3, 2};
    static const char* kLetras = "ABCDEFGHJKLMNPQRTUVWXYZ";
    if (p.size() != 14 || p[4] != '.' || p[7] != '.' || p[10] != '.')
        return {};
    int suma = 0, k = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        if (i == 4 || i == 7 || i == 10)
            continue;
        if (p[i] < '0' || p[i] > '9')
            return {};
        suma += (p[i] - '0') * kPesos[k++];
    }
    return std::string(1, kLetras[suma % 23]);
}

std::string LetraDeFilas(const Recordset& filas, const std::string& posicion14) {
    const long n = filas.RecordCount();
    if (n == 0)
        return {};
    // One row, as nearly every position has, is read where it stands.
    if (n == 1 && filas.AbsolutePosition() == 1)
        return Trim(filas.Fields("letra").Texto());
    Recordset rs = filas;
    rs.MoveFirst();
    const std::string primera = Trim(rs.Fields("letra").Texto());
    const std::string calculada = LetraVerificadora(posicion14);
    for (; !calculada.empty() && !rs.Eof(); rs.MoveNext())
        if (UCase(Trim(rs.Fields("letra").Texto())) == calculada)
            return Trim(rs.Fields("letra").Texto());
    return primera;
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
    std::string caracter;
    for (char32_t c : Utf8aU32(valor)) {
        caracter.clear();
        AgregarUtf8(caracter, c);
        r += FiltrarCaracter(caracter);
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
    app.Db.Sql(SentenciaSql("select count(*) as n from PAIS"));
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
        app.Db.Sql(SentenciaSql("select ORI, ESM from ORG where PAI = ").Texto(pai));
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
    } catch (const std::exception&) {
        // The look-up shows nothing: the caller goes on with what it has.
    }
    return r;
}

} // namespace modGlobal

namespace modEntidadesTarvelo {

namespace {
constexpr long kErrorEnlace = 1119111; // the import's linking error, as modEntidadesTarvelo.h names it
}

std::string ImplementarVINenSufijos(const std::string& sufijos, const std::string& vin) {
    try {
        size_t p = InStr(1, sufijos, "AM(");
        if (p < 2)
            return sufijos;
        size_t q = InStr(p, sufijos, ")");
        if (q == 0)
            throw AppError(5, "", "Argumento o llamada a procedimiento no válida: sufijo AM sin \")\" en " + sufijos);
        return Left(sufijos, p + 2) + vin + Mid(sufijos, q);
    } catch (...) {
        throw AppError::Actual().Relanzar(kErrorEnlace, "ImplementarVINenSufijos.modEntidadesTarvelo.Velmarion ");
    }
}

} // namespace modEntidadesTarvelo
