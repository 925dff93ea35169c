#include "review/Depuracion.h"

#include "comun/Aplicacion.h"
#include "global/modGlobal.h"
#include "platform/AppError.h"
#include "platform/Bitacora.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Tesmira.h"
#include "platform/Texto.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace Depuracion {

namespace {

using Icono = Operador::Icono;

// The columns a save or its replication may change: what the history keeps.
const char* const kColumnasHistoria[] = {"PRCNCM", "PRCLAP", "PRCSUF", "PRCDUN", "PRCEUN", "PRCECA",
                                         "ARTCAN", "ARTUNI", "ARTTOT", "PRCSUN", "PRCSCA", "PRCESM",
                                         "PRCORI", "PRCCAN", "PRCEST", "PRCCRC"};

Conexion& Ncm(Aplicacion& app) {
    return app.Entidades->getDataConnectionByEntity("NCM");
}

// Why an article is among those to depurate, in words.
std::string Motivo(Aplicacion& app, Tesmira::Motor& validador, const Recordset& rs) {
    const std::string est = Trim(rs.Fields("PRCEST").Texto());
    const std::string crc = UCase(Trim(rs.Fields("PRCCRC").Texto()));
    const std::string ncm = Trim(rs.Fields("PRCNCM").Texto());
    const std::string suf = rs.Fields("PRCSUF").Texto();
    if (est.empty()) {
        std::string m =
            "No está en el catálogo" + (app.Config.INTCAT.empty() ? std::string() : " " + app.Config.INTCAT) + ".";
        if (Trim(rs.Fields("PRCDST").Texto()).empty())
            m += " Su país no tiene relación de origen.";
        return m;
    }
    if (crc == "CERO")
        return "El total o el unitario es cero.";
    if (crc == "POS" || crc == "SUF" || crc == "ERR") {
        int r = validador.ValidarSufijos(ncm, suf);
        if (r != 0)
            return validador.Motivo();
        if (InStr(1, suf, "()") > 0)
            return "Un sufijo quedó sin valor: \"()\".";
        return crc == "ERR" ? "El validador no pudo verificar la posición." : "Verificado de nuevo: ya es válido.";
    }
    if (crc.empty())
        return "Sin validar (el tipo de declaración no se valida al clasificar): revíselo en el editor.";
    return "Resultado " + crc + ".";
}

std::vector<Fila> Listar(Aplicacion& app, const SentenciaSql& sql, bool errores, bool* ok) {
    std::vector<Fila> filas;
    if (ok)
        *ok = true;
    app.Op->PunteroEspera(true);
    try {
        Recordset rs;
        app.Db.Sql(sql);
        if (app.Db.CrearRs(rs)) {
            Tesmira::Motor validador;
            validador.ConexionString(*app.Entidades);
            filas.reserve(static_cast<size_t>(rs.RecordCount()));
            for (; !rs.Eof(); rs.MoveNext()) {
                Fila f;
                f.Orden = Formatear(app.Formato.EsNumero(rs.Fields("ARTORD")), "0000");
                f.ARTNRO = app.Formato.EsNull(rs.Fields("ARTNRO"));
                f.PRCVIN = app.Formato.EsNull(rs.Fields("PRCVIN"));
                f.ARTORG = app.Formato.EsNull(rs.Fields("ARTORG"));
                f.ARTCAN = app.Formato.EsNull(rs.Fields("ARTCAN"));
                f.ARTUNI = app.Formato.EsNull(rs.Fields("ARTUNI"));
                f.ARTTOT = app.Formato.EsNull(rs.Fields("ARTTOT"));
                f.PRCNCM = app.Formato.EsNull(rs.Fields("PRCNCM"));
                f.PRCEST = app.Formato.EsNull(rs.Fields("PRCEST"));
                f.PRCCRC = app.Formato.EsNull(rs.Fields("PRCCRC"));
                if (errores) {
                    f.Colour = f.PRCEST.empty() ? Color::RojoOscuro : Color::AzulOscuro;
                    f.Motivo = Motivo(app, validador, rs);
                } else {
                    f.Colour = f.PRCEST == "M" ? Color::CianOscuro : Color::Normal;
                }
                filas.push_back(std::move(f));
            }
        }
    } catch (...) {
        app.Op->PunteroEspera(false); // also when the operator stopped the list
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmDEP.]");
        if (ok)
            *ok = false;
    }
    app.Op->PunteroEspera(false);
    return filas;
}

// The error message of the position check and the suffix collection (number
// first, then the description and the section); called inside a catch block.
void ErrorDeSeccion(Operador& op, const char* seccion) {
    op.PunteroEspera(false); // also when the operator stopped the run
    AppError e = AppError::Actual();
    op.MsgBox(std::to_string(e.Number) + " - " + e.Description + vbCrLf + vbCrLf + seccion, Icono::Critico);
}

// A number typed in a box, written as stored: rounded as its pattern shows
// it, or as typed when there is no pattern; with ".".
SentenciaSql& NumeroDe(SentenciaSql& s, const std::string& texto, const char* patron) {
    if (!patron)
        return s.Numero(ValorNumerico(texto));
    return s.Numero(NumeroSql(Formatear(ValorNumerico(texto), patron)));
}

// The value a box's number is stored as: what the checks must judge.
double Guardado(const std::string& texto, const char* patron) {
    return ValorNumerico(Formatear(ValorNumerico(texto), patron));
}

// Digits of a number's whole part, leading zeros aside: a number too long
// for a double reads as 0, its length still tells.
size_t DigitosEnteros(const std::string& texto) {
    size_t n = 0;
    bool significativo = false;
    for (char c : texto) {
        if (c >= '0' && c <= '9') {
            significativo = significativo || c != '0';
            n += significativo ? 1 : 0;
        } else if (c == '.' || c == SeparadorDecimal()) {
            break;
        }
    }
    return n;
}

// A goods state is a whole number of up to four digits.
bool EstadoValido(const std::string& estado) {
    const std::string t = Trim(estado);
    if (t.empty() || t.size() > 4)
        return false;
    for (char c : t)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string Normal(const std::string& posicion) {
    return UCase(Reemplazar(posicion, ",", "."));
}

std::string Usuario() {
    if (const char* u = std::getenv("USER"); u && *u)
        return u;
    if (const passwd* p = getpwuid(getuid()))
        return p->pw_name;
    return "";
}

} // namespace

std::string Mostrar(double valor, int maxDecimales) {
    std::string patron = "00.00";
    std::string r = Formatear(valor, patron);
    for (int d = 2; d < maxDecimales && ValorNumerico(r) != valor; ++d) {
        patron += '0';
        r = Formatear(valor, patron);
    }
    return r;
}

std::vector<Fila> CargarRegConErrores(Aplicacion& app, bool* ok) {
    SentenciaSql s("select * from ART where INTNRO = ");
    s.Texto(app.InternoActual);
    s.Sql(" and (PRCEST = '' or PRCEST IS NULL or PRCCRC <> 'OK' or PRCCRC is null) order by PRCEST,PRCCRC,ARTORD");
    return Listar(app, s, true, ok);
}

std::vector<Fila> CargarRegOK(Aplicacion& app, bool* ok) {
    SentenciaSql s("select * from ART where INTNRO = ");
    s.Texto(app.InternoActual).Sql(" and  PRCCRC = 'OK' order by ARTORD");
    return Listar(app, s, false, ok);
}

std::vector<Fila> Cargar(Aplicacion& app, int modo, bool* ok) {
    return modo == 1 ? CargarRegConErrores(app, ok) : CargarRegOK(app, ok);
}

int Decimales(const std::string& numero) {
    const size_t sep = numero.find_first_of(".,");
    if (sep == std::string::npos)
        return 0;
    size_t fin = sep + 1;
    while (fin < numero.size() && numero[fin] >= '0' && numero[fin] <= '9')
        ++fin;
    return static_cast<int>(fin - sep - 1);
}

std::string ConDecimales(const std::string& numero, int decimales) {
    if (Trim(numero).empty() || !EsNumerico(numero))
        return numero;
    return Formatear(ValorNumerico(numero),
                     decimales > 0 ? "0." + std::string(static_cast<size_t>(decimales), '0') : std::string("0"));
}

std::vector<CuentaMotivo> Motivos(const std::vector<Fila>& filas) {
    std::vector<CuentaMotivo> r;
    for (const Fila& f : filas) {
        if (f.Motivo.empty())
            continue;
        auto it = std::find_if(r.begin(), r.end(), [&](const CuentaMotivo& c) { return c.Motivo == f.Motivo; });
        if (it == r.end())
            r.push_back({f.Motivo, 1});
        else
            ++it->Filas;
    }
    return r;
}

// ---------------------------------------------------------------------------
// The editor

bool FormModificar::CargarDatos(const std::string& tag) {
    Tag = tag;
    Cargado = true;
    try {
        Recordset rs;
        SentenciaSql s("select * from ART where INTNRO = ");
        s.Texto(m_app.InternoActual).Sql(" and ARTORD = ").Numero(static_cast<long long>(ValorNumerico(tag)));
        m_app.Db.Sql(s);
        if (!m_app.Db.CrearRs(rs))
            return false;
        auto texto = [&](const char* c) { return m_app.Formato.EsNull(rs.Fields(c)); };
        auto numero = [&](const char* c, int decimales) {
            return Mostrar(m_app.Formato.EsNumero(rs.Fields(c)), decimales);
        };

        const std::string artnro = texto("ARTNRO");
        if (m_app.Config.MODELOVARIANTESINSPC) {
            txtARTNRO_Tag = artnro;
            size_t blanco = artnro.find(' ');
            txtARTNRO = blanco == std::string::npos ? artnro : artnro.substr(0, blanco);
        } else {
            txtARTNRO = artnro;
        }
        // Each with the decimals it has: the unit price is kept to five.
        txtARTCAN = numero("ARTCAN", 15);
        txtARTUNI = numero("ARTUNI", 5);
        txtARTTOT = numero("ARTTOT", 15);
        txtNroVin = texto("PRCVIN");
        txtFactura = texto("ARTFAC");
        txtCTC = texto("PRCCTC");
        txtPRCNCM = texto("PRCNCM");
        m_posicionDeUnidades = Normal(txtPRCNCM);
        txtPRCNCM_Tag = texto("PRCEUN");
        txtPRCSUF = texto("PRCSUF");
        txtPRCDUN = texto("PRCDUN");
        txtPRCCAN = numero("PRCCAN", 15);
        const std::string eun = texto("PRCEUN");
        lbPRCEUN = "Unidad Estadistica [" + eun + "]";
        lbPRCEUN_Tag = eun;
        txtPRCECA = numero("PRCECA", 15);

        const std::string sun = texto("PRCSUN");
        if (!sun.empty()) {
            PRCSCAVisible = true;
            lbPRCSUN = "Derecho Especifico [" + sun + "]";
            txtPRCSCA_Tag = sun;
            lbPRCSUN_Tag = sun;
            txtPRCSCA = texto("PRCSCA");
        } else {
            PRCSCAVisible = false;
            lbPRCSUN.clear();
            lbPRCSUN_Tag.clear();
            txtPRCSCA = "0";
        }

        txtPRCESM = texto("PRCESM");
        const std::string ori = texto("PRCORI"), dst = texto("PRCDST");
        cboPRCORI.clear();
        cboidPRCORI.clear();
        cboPRCDST.clear();
        cboIdPRCDST.clear();

        lbEstado = texto("PRCCRC");
        const std::string lap = texto("PRCLAP");
        if (lbEstado == "OK") {
            txtPRCNCM_Tag = eun;
            lbPRCLAPVisible = lap == "S";
            lbPRCLAP_Tag = lbPRCLAPVisible ? "S" : "N";
        } else if (lap == "S" || lap == "N") {
            // A flag the classification already set stays (a price-only
            // correction of a zero price must not erase it); the position
            // check sets it anew.
            lbPRCLAPVisible = lap == "S";
            lbPRCLAP_Tag = lap;
        }

        long posOri = 9999, posDst = 9999;
        Recordset paises;
        m_app.Db.Sql("select * from pais order by descripcion");
        if (m_app.Db.CrearRs(paises)) {
            for (; !paises.Eof(); paises.MoveNext()) {
                const std::string id = paises.Fields("id").Texto();
                const std::string desc = paises.Fields("descripcion").Texto();
                cboidPRCORI.push_back(id);
                cboPRCORI.push_back(desc);
                if (id == ori)
                    posOri = paises.AbsolutePosition();
                cboIdPRCDST.push_back(id);
                cboPRCDST.push_back(desc);
                if (id == dst)
                    posDst = paises.AbsolutePosition();
            }
        }
        cboPRCORI_Indice = posOri != 9999 ? static_cast<int>(posOri - 1) : -1;
        cboPRCDST_Indice = posDst != 9999 ? static_cast<int>(posDst - 1) : -1;
        return true;
    } catch (...) {
        AppError e = AppError::Actual();
        m_app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmModificar.CargarDatos]", Icono::Critico);
        return false;
    }
}

std::string FormModificar::CompletarPosicion(const std::string& posicion14) {
    Recordset rs;
    SentenciaSql s("select [003] as letra from NCM where [001] = ");
    s.Texto(Left(posicion14, 10)).Sql(" and [002] = ").Texto(Mid(posicion14, 12, 3));
    Ncm(m_app).Sql(s);
    if (!Ncm(m_app).CrearRs(rs))
        return {};
    const std::string letra = modGlobal::LetraDeFilas(rs, posicion14);
    return letra.empty() ? std::string() : posicion14 + letra;
}

bool FormModificar::FilaDePosicion(const std::string& posicion, Recordset& rs) {
    SentenciaSql s("select [001],[002],[003],[012] as uest,[020] as deresp,[059] as lapi from NCM where  [001] = ");
    s.Texto(Left(posicion, 10)).Sql(" and [002] = ").Texto(Mid(posicion, 12, 3));
    s.Sql("  and [003] = ").Texto(Right(posicion, 1));
    Ncm(m_app).Sql(s);
    return Ncm(m_app).CrearRs(rs);
}

void FormModificar::UnidadesDeFila(const Recordset& rs) {
    const std::string u = Formatear(m_app.Formato.EsNumero(rs.Fields("uest")), "00");
    lbPRCEUN = "Unidad Estadistica [" + u + "]";
    lbPRCEUN_Tag = u;
    txtPRCNCM_Tag = u;

    const std::string deresp = m_app.Formato.EsNull(rs.Fields("deresp"));
    if (!deresp.empty()) {
        PRCSCAVisible = true;
        lbPRCSUN = "Unidad Der Especif [" + Formatear(m_app.Formato.EsNumero(deresp), "00") + "]";
        txtPRCSCA_Tag = deresp;
    } else {
        PRCSCAVisible = false;
        lbPRCSUN.clear();
        lbPRCSUN_Tag.clear();
    }
}

void FormModificar::LapiDeFila(const Recordset& rs) {
    const std::string deresp = m_app.Formato.EsNull(rs.Fields("deresp"));
    lbPRCEUN_Tag = Formatear(m_app.Formato.EsNumero(rs.Fields("uest")), "00");
    lbPRCSUN_Tag = deresp.empty() ? "" : Formatear(m_app.Formato.EsNumero(deresp), "00");
    if (Len(m_app.Formato.EsNull(rs.Fields("lapi"))) == 0) {
        lbPRCLAP_Tag = "N";
        lbPRCLAPVisible = false;
    } else {
        lbPRCLAP_Tag = "S";
        lbPRCLAPVisible = true;
    }
}

std::string FormModificar::ProcesarNCM(std::string posicion) {
    Operador& op = *m_app.Op;
    op.PunteroEspera(true);
    try {
        size_t largo = Len(posicion);
        if (largo < 14 || largo > 15) {
            op.PunteroEspera(false);
            op.MsgBox("Error en la estructura de la posición", Icono::Exclamacion);
            return {};
        }
        posicion = Reemplazar(posicion, ",", ".");
        // Without its letter, [003] would be cut from a digit: the letter is
        // the nomenclator's, as the classification completes positions.
        const bool completar = largo == 14;
        if (completar)
            posicion = CompletarPosicion(posicion);
        Recordset rs;
        if (posicion.empty() || !FilaDePosicion(posicion, rs)) {
            op.MsgBox("Posición no encontrada en Nomenclador", Icono::Exclamacion);
            op.PunteroEspera(false);
            return {};
        }
        UnidadesDeFila(rs);
        // The three keys are the first three columns of the query.
        std::string r = m_app.Formato.EsNull(rs.Fields(size_t{0})) + "." + m_app.Formato.EsNull(rs.Fields(size_t{1})) +
                        m_app.Formato.EsNull(rs.Fields(size_t{2}));
        if (completar)
            txtPRCNCM = r;
        m_posicionDeUnidades = Normal(r);

        txtPRCSUF = VerificarSufijos(posicion, txtPRCSUF, 1);

        LapiDeFila(rs);
        op.PunteroEspera(false);
        return r;
    } catch (...) {
        ErrorDeSeccion(op, "Sección [Nembral.frmModificar.ProcesarNCM]");
        return {};
    }
}

void FormModificar::PrepararPosicion() {
    std::string posicion = Reemplazar(txtPRCNCM, ",", ".");
    if (Len(posicion) == 14) {
        // Not found: it stays as typed, and the validator refuses it.
        if (std::string completa = CompletarPosicion(posicion); !completa.empty()) {
            txtPRCNCM = completa;
            posicion = completa;
        }
    }
    if (Len(posicion) != 15 || Normal(posicion) == m_posicionDeUnidades)
        return;
    Recordset rs;
    if (!FilaDePosicion(posicion, rs))
        return;
    UnidadesDeFila(rs);
    LapiDeFila(rs);
    m_posicionDeUnidades = Normal(posicion);
}

bool FormModificar::UnidadExiste(const std::string& unidad) {
    Conexion& internos = m_app.Entidades->getDataConnectionByEntity("INTERNOS");
    Recordset rs;
    SentenciaSql s("select id from unidades where upper(id) = upper(");
    s.Texto(unidad).Sql(")");
    internos.Sql(s);
    return internos.CrearRs(rs);
}

std::string FormModificar::ArticuloDeSufijos() const {
    return m_app.Config.MODELOVARIANTESINSPC ? txtARTNRO_Tag : txtARTNRO;
}

std::string FormModificar::VerificarSufijos(const std::string& ncm, const std::string& sufijoAnt, int) {
    Operador& op = *m_app.Op;
    op.PunteroEspera(true);
    try {
        const std::string articulo = ArticuloDeSufijos();
        SentenciaSql sufijos;
        Tesmira::ClavesDeSufijos(sufijos, ncm);
        SentenciaSql s("select distinct left(sufijo,2) as asufijo from sufidos where sim in ");
        s.Anexar(sufijos);
        Recordset grupos;
        Ncm(m_app).Sql(s);
        if (!Ncm(m_app).CrearRs(grupos)) {
            op.PunteroEspera(false);
            op.MsgBox("No se encontro Sufijo en el nomenclador");
            return "SIN SUFIJOS";
        }
        std::string acumulado;
        // A value suffix's kind carries over to the next; before any "A" or "Z"
        // code it is text, so such a code can still be answered.
        bool numerico = false;
        for (; !grupos.Eof(); grupos.MoveNext()) {
            const std::string grupo = Trim(grupos.Fields("asufijo").Texto());
            Recordset rs;
            s.Limpiar();
            s.Sql("select sufijo,detalle from sufidos where sim in ").Anexar(sufijos);
            s.Sql(" and left(sufijo,2) = ").Texto(grupo);
            Ncm(m_app).Sql(s);
            if (!Ncm(m_app).CrearRs(rs))
                continue;
            const std::string codigo = Trim(rs.Fields("sufijo").Texto());
            const size_t largo = Len(codigo);
            if (largo == 2) {
                if (EmpiezaCon(UCase(codigo), "A"))
                    numerico = false;
                else if (EmpiezaCon(UCase(codigo), "Z"))
                    numerico = true;
                std::string defecto;
                if (Trim(sufijoAnt).empty()) {
                    const std::string c = UCase(codigo);
                    if (c == "AA")
                        defecto = m_app.Config.AA_MARCA;
                    else if (c == "AI" || c == "AB")
                        defecto = articulo;
                    else if (c == "AM")
                        defecto = m_app.Config.MODELOVARIANTESINSPC ? txtNroVin : Left(txtNroVin, 9);
                } else if (size_t p = sufijoAnt.find(codigo + "("); p != std::string::npos) {
                    size_t desde = p + codigo.size() + 1;
                    size_t hasta = sufijoAnt.find(')', desde);
                    defecto = sufijoAnt.substr(desde, hasta == std::string::npos ? std::string::npos : hasta - desde);
                }
                const std::string prompt = codigo + " - " + m_app.Formato.EsNull(rs.Fields("detalle"));
                std::string valor;
                while (true) {
                    op.PunteroEspera(false);
                    std::string respuesta = op.InputBox(codigo, prompt, "Ingrese Valor", defecto);
                    op.PunteroEspera(true);
                    defecto.clear();
                    if (respuesta.empty() &&
                        op.Preguntar(Operador::Preguntas::Cancelar, "Desea cancelar la operación")) {
                        op.PunteroEspera(false);
                        return {};
                    }
                    for (char& c : respuesta)
                        if (c == '(' || c == ')' || c == '-')
                            c = ' ';
                    std::string normal = modGlobal::NormalizarValor(respuesta);
                    if (numerico) {
                        if (!EsNumerico(normal)) {
                            op.MsgBox("Debe Ingresar un Valor Númerico");
                            continue;
                        }
                        valor = Formatear(ValorNumerico(Left(Trim(normal), 6)), "000000");
                    } else {
                        if (Trim(normal).empty())
                            continue;
                        valor = normal;
                    }
                    break;
                }
                acumulado += (Trim(acumulado).empty() ? "" : "-") + Trim(codigo) + "(" + valor + ")";
            } else if (largo == 4) {
                std::string actual;
                if (size_t p = sufijoAnt.find(grupo); p != std::string::npos && !grupo.empty()) {
                    size_t guion = sufijoAnt.find('-', p);
                    actual = sufijoAnt.substr(p, guion == std::string::npos ? std::string::npos : guion - p);
                }
                std::vector<std::string> lineas{grupo + "00" + " - " + "Ninguna opción"};
                for (; !rs.Eof(); rs.MoveNext())
                    lineas.push_back(Trim(rs.Fields("sufijo").Texto()) + " - " +
                                     Trim(m_app.Formato.EsNull(rs.Fields("detalle"))));
                op.PunteroEspera(false);
                std::string eleccion = op.ElegirOpcion(grupo, lineas, actual);
                op.PunteroEspera(true);
                if (eleccion.empty()) {
                    op.PunteroEspera(false);
                    op.MsgBox("Error en generar sufijos");
                    return {};
                }
                acumulado += (Trim(acumulado).empty() ? "" : "-") + Left(eleccion, 4);
            }
        }
        if (!TerminaCon(acumulado, "-"))
            acumulado += "-";
        op.PunteroEspera(false);
        return acumulado;
    } catch (...) {
        ErrorDeSeccion(op, "Seccion [Brontalis.frmModificar.VarificarSufijos]");
        return {};
    }
}

bool FormModificar::VerificarDatos() {
    Operador& op = *m_app.Op;
    CampoConFalla.clear();
    auto falla = [&](const char* campo, const std::string& texto, Icono icono = Icono::Exclamacion) {
        CampoConFalla = campo;
        op.MsgBox(texto, icono);
        return false;
    };
    try {
        Tesmira::Motor validador;
        validador.ConexionString(*m_app.Entidades);
        PrepararPosicion();

        if (txtPRCNCM_Tag.empty())
            return falla("PRCNCM", "Falta información sobre la posición arancelaria.");
        if (Trim(txtPRCDUN).empty())
            return falla("PRCDUN", "Falta ingresar unidad declarada");
        // The declaration carries the unit as typed: it must be a customs unit code.
        if (!UnidadExiste(txtPRCDUN))
            return falla("PRCDUN", "La unidad declarada " + txtPRCDUN + " no existe en la tabla de unidades");

        const Dalvorm::Motor& f = m_app.Formato;
        if (f.EsNumero(txtPRCECA) == 0) {
            if (txtPRCNCM_Tag == txtPRCDUN)
                txtPRCECA = txtPRCCAN;
        } else if (txtPRCNCM_Tag == txtPRCDUN && f.EsNumero(txtPRCCAN) != f.EsNumero(txtPRCECA)) {
            return falla("PRCECA", "La Cantidad Declarada debe ser igual a la Cantidad Especifica");
        }

        if (PRCSCAVisible) {
            if (!EsNumerico(txtPRCSCA))
                return falla("PRCSCA", "Debe ingresar un valor númerico en el campo Der Especifico");
            if (lbPRCSUN_Tag == txtPRCNCM_Tag && f.EsNumero(txtPRCSCA) == 0 && f.EsNumero(txtPRCECA) > 0)
                txtPRCSCA = txtPRCECA;
        }

        if (!EstadoValido(txtPRCESM))
            return falla("PRCESM", "Estado de mercaderia inválida", Icono::Critico);

        // The position is stored dotted, so it is checked dotted.
        int r = validador.ValidarSufijos(Reemplazar(txtPRCNCM, ",", "."), txtPRCSUF);
        if (r == 1)
            return falla("PRCNCM", std::string("La posición es Inexistente!") + vbCrLf + vbCrLf + validador.Motivo());
        if (r == 2)
            return falla("PRCSUF", std::string("Sufijos inválidos") + vbCrLf + vbCrLf + validador.Motivo());

        if (cboPRCORI_Indice < 0 &&
            !op.Preguntar(Operador::Preguntas::SinPais, "No ha seleccionado ningun pais, desea continuar?")) {
            CampoConFalla = "PRCORI";
            return false;
        }

        // Each judged as it will be stored (a price that rounds to 0 is 0), and
        // within what the shipment file's fields carry: 10 whole digits for a
        // quantity, 18 for a price or a total.
        struct Campo {
            const std::string* texto;
            const char* nombre;
            const char* columna;
            const char* patron;
            size_t digitos;
        };
        const Campo campos[] = {{&txtARTCAN, "cantidad", "ARTCAN", "00.00", 10},
                                {&txtARTUNI, "unitario", "ARTUNI", "00.00000", 18},
                                {&txtARTTOT, "total", "ARTTOT", "00.00", 18}};
        for (const Campo& c : campos)
            if (!EsNumerico(*c.texto))
                return falla(c.columna, std::string("el campo ") + c.nombre + " debe ser númerico");
        for (const Campo& c : campos) {
            const double v = Guardado(*c.texto, c.patron);
            if (DigitosEnteros(*c.texto) > c.digitos || !std::isfinite(v) || std::fabs(v) >= std::pow(10.0, c.digitos))
                return falla(c.columna, std::string("el campo ") + c.nombre + " es demasiado grande");
            if (v <= 0)
                return falla(c.columna, std::string("el campo ") + c.nombre + " debe ser mayor a cero");
        }
        return true;
    } catch (...) {
        AppError e = AppError::Actual();
        op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmModificar_VerificarDatos]", Icono::Critico);
        return false;
    }
}

SentenciaSql FormModificar::SentenciaReplicar() const {
    SentenciaSql s("update ART set PRCNCM = ");
    s.Texto(Reemplazar(txtPRCNCM, ",", ".")).Sql(",PRCLAP = ").Texto(lbPRCLAP_Tag).Sql(",");
    if (!m_app.Config.MODELOVARIANTESINSPC)
        s.Sql("PRCSUF = ").Texto(txtPRCSUF).Sql(",");
    s.Sql("PRCEST = 'R',PRCCRC = 'OK',PRCEUN = ").Texto(txtPRCNCM_Tag).Sql(" ");
    if (PRCSCAVisible)
        s.Sql(", PRCSUN = ").Texto(txtPRCSCA_Tag).Sql(" ");
    s.Sql("where INTNRO = ").Texto(m_app.InternoActual).Sql(" and ARTNRO = ").Texto(txtARTNRO);
    // No blank before the second "and": the statement's text stays as it has always run.
    s.Sql(" and (PRCEST = '' or PRCEST IS NULL)and (PRCVIN = '' or PRCVIN IS NULL)");
    return s;
}

long FormModificar::CopiarModificacion() {
    try {
        SentenciaSql s = SentenciaReplicar();
        long n = m_app.Db.Ejecutar(s);
        // Before the quantity steps, so the vehicles take their quantities too.
        m_vehiculos = m_conVehiculos ? CopiarAVehiculos() : 0;

        // The declared quantity, where the units agree, is the specific one too.
        auto cantidad = [&](const char* columna) {
            s.Limpiar();
            s.Sql("update ART set ").Sql(columna).Sql(" = PRCCAN where INTNRO = ").Texto(m_app.InternoActual);
            s.Sql(" and PRCEUN = PRCDUN and ARTNRO = ").Texto(txtARTNRO).Sql(" and PRCEST = 'R'");
            m_app.Db.Ejecutar(s);
        };
        cantidad("PRCECA");
        if (PRCSCAVisible)
            cantidad("PRCSCA");
        return n;
    } catch (...) {
        AppError e = AppError::Actual();
        throw e.Relanzar(1119111, "CopiarModificacion.frmModificar.Velmarion ");
    }
}

namespace {

// The untouched articles of a number that carry a VIN, the edited article aside.
void CondicionVehiculos(SentenciaSql& s, const std::string& interno, const std::string& articulo, long long orden) {
    s.Sql(" where INTNRO = ").Texto(interno).Sql(" and ARTNRO = ").Texto(articulo);
    s.Sql(" and (PRCEST = ").Texto("").Sql(" or PRCEST is null)");
    s.Sql(" and not (PRCVIN = ").Texto("").Sql(" or PRCVIN is null)");
    s.Sql(" and ARTORD <> ").Numero(orden);
}

long long Orden(const std::string& tag) {
    return static_cast<long long>(ValorNumerico(tag));
}

} // namespace

long FormModificar::VehiculosSinTocar() {
    SentenciaSql s;
    s.Sql("select count(*) as n from ART");
    CondicionVehiculos(s, m_app.InternoActual, txtARTNRO, Orden(Tag));
    Recordset rs;
    m_app.Db.Sql(s);
    if (!m_app.Db.CrearRs(rs))
        return 0;
    return static_cast<long>(rs.Fields("n").Numero());
}

long FormModificar::CopiarAVehiculos() {
    // The edited suffix text around the value of its VIN entry: each vehicle's
    // own VIN goes between, as the suffix question offers it by default.
    std::string antes, despues;
    bool conVin = false;
    for (size_t p = 0; (p = txtPRCSUF.find("AM(", p)) != std::string::npos; p += 3) {
        const size_t fin = txtPRCSUF.find(')', p + 3);
        if ((p == 0 || txtPRCSUF[p - 1] == '-') && fin != std::string::npos) {
            antes = txtPRCSUF.substr(0, p + 3);
            despues = txtPRCSUF.substr(fin);
            conVin = true;
            break;
        }
    }
    const bool completo = m_app.Config.MODELOVARIANTESINSPC;
    std::string valor, sufijo;
    // One statement for all the vehicles; the function only builds each text.
    auto propio = [&](Almacor::LlamadaSql& llamada) {
        valor = completo ? std::string(llamada.Texto(0)) : Left(llamada.Texto(0), 9);
        for (char& c : valor)
            if (c == '(' || c == ')' || c == '-')
                c = ' ';
        sufijo = antes;
        sufijo += modGlobal::NormalizarValor(valor);
        sufijo += despues;
        llamada.DevolverTexto(sufijo);
    };
    std::unique_ptr<Almacor::FuncionSql> funcion;
    if (conVin)
        funcion = std::make_unique<Almacor::FuncionSql>(m_app.Db, "sufijo_de_vehiculo", 1, propio);

    SentenciaSql s;
    s.Sql("update ART set PRCNCM = ").Texto(Reemplazar(txtPRCNCM, ",", "."));
    s.Sql(", PRCLAP = ").Texto(lbPRCLAP_Tag);
    s.Sql(", PRCSUF = ");
    if (conVin)
        s.Sql("sufijo_de_vehiculo(PRCVIN)");
    else
        s.Texto(txtPRCSUF);
    s.Sql(", PRCEST = ").Texto("R").Sql(", PRCCRC = ").Texto("OK");
    s.Sql(", PRCEUN = ").Texto(txtPRCNCM_Tag);
    if (PRCSCAVisible)
        s.Sql(", PRCSUN = ").Texto(txtPRCSCA_Tag);
    CondicionVehiculos(s, m_app.InternoActual, txtARTNRO, Orden(Tag));
    return m_app.Db.Ejecutar(s);
}

Resultado FormModificar::GrabarDatos() {
    if (!VerificarDatos())
        return Resultado::Detenido;
    // What reached the database is logged: saved, not found, or failed.
    const double inicio = Bitacora::Ahora();
    const std::string orden = Tag;
    Resultado r = Grabar();
    Bitacora::Registrar(m_app.Home, m_app.InternoActual, "depuracion",
                        std::string(TextoResultado(r)) + ": articulo " + orden +
                            (r == Resultado::Hecho
                                 ? ", replicada a " + std::to_string(m_replicados) +
                                       (m_vehiculos > 0 ? " y a " + std::to_string(m_vehiculos) + " vehiculos" : "")
                                 : ""),
                        Bitacora::Ahora() - inicio);
    return r;
}

SentenciaSql FormModificar::SentenciaGrabar() const {
    // No country selected (after Yes): an empty origin, never a stale id.
    const bool hayPais = cboPRCORI_Indice >= 0 && cboPRCORI_Indice < static_cast<int>(cboidPRCORI.size());
    SentenciaSql s("update ART set PRCNCM = ");
    s.Texto(Reemplazar(txtPRCNCM, ",", ".")).Sql(", PRCLAP = ").Texto(lbPRCLAP_Tag);
    s.Sql(", PRCSUF = ").Texto(txtPRCSUF).Sql(", PRCDUN = ").Texto(txtPRCDUN);
    s.Sql(", PRCEUN = ").Texto(txtPRCNCM_Tag).Sql(", PRCECA = ");
    NumeroDe(s, txtPRCECA, nullptr).Sql(", ARTCAN = ");
    NumeroDe(s, txtARTCAN, "00.00").Sql(", ARTUNI = ");
    NumeroDe(s, txtARTUNI, "00.00000").Sql(", ARTTOT = ");
    NumeroDe(s, txtARTTOT, "00.00").Sql(", ");
    if (PRCSCAVisible) {
        s.Sql("PRCSUN = ").Texto(txtPRCSCA_Tag).Sql(", PRCSCA = ");
        NumeroDe(s, txtPRCSCA, nullptr).Sql(", ");
    }
    s.Sql("PRCESM = ").Texto(txtPRCESM).Sql(", PRCORI = ");
    s.Texto(hayPais ? cboidPRCORI[static_cast<size_t>(cboPRCORI_Indice)] : "").Sql(", PRCCAN = ");
    NumeroDe(s, txtPRCCAN, nullptr).Sql(",PRCEST = 'M', PRCCRC = 'OK' where ARTORD = ").Numero(Orden(Tag));
    s.Sql(" and INTNRO = ").Texto(m_app.InternoActual).Sql(" ");
    return s;
}

Resultado FormModificar::Grabar() {
    Operador& op = *m_app.Op;
    const long long ord = Orden(Tag);
    const SentenciaSql guardar = SentenciaGrabar();

    // The save, its replication and what they changed stand or fall together;
    // the replication's message waits until the work is committed.
    std::string seccion = " - seccion [Quelvorin.frmModificar_GrabarDatos]";
    // The vehicles are asked about before the work database is held, not while the operator thinks.
    m_replicados = 0;
    m_vehiculos = 0;
    m_conVehiculos = false;
    if (!Trim(txtPRCNCM).empty()) {
        long sinTocar = 0;
        try {
            sinTocar = VehiculosSinTocar();
        } catch (...) {
            AppError e = AppError::Actual();
            op.MsgBox(e.Mensaje() + seccion, Icono::Critico);
            return Resultado::Fallido;
        }
        m_conVehiculos =
            sinTocar > 0 && op.Preguntar(Operador::Preguntas::ReplicarVehiculos,
                                         "¿Replicar la corrección a los " + std::to_string(sinTocar) +
                                             " vehículos de " + txtARTNRO + ", cada uno con su propio VIN?");
    }
    bool abierta = false;
    try {
        m_app.Db.ComenzarTransaccion();
        abierta = true;
        std::string lista = "INTNRO, ARTORD";
        for (const char* c : kColumnasHistoria)
            lista += std::string(", ") + c;
        SentenciaSql s("create temp table if not exists HIST_ANTES as select ");
        s.Sql(lista).Sql(" from main.ART where 0");
        m_app.Db.Ejecutar(s);
        m_app.Db.Ejecutar("delete from temp.HIST_ANTES");
        // The edited article and its like ones, as they were before the save.
        s.Limpiar();
        s.Sql("insert into temp.HIST_ANTES select ").Sql(lista).Sql(" from ART where INTNRO = ");
        s.Texto(m_app.InternoActual).Sql(" and (ARTORD = ").Numero(ord).Sql(" or ARTNRO = ").Texto(txtARTNRO).Sql(")");
        m_app.Db.Ejecutar(s);

        if (m_app.Db.Ejecutar(guardar) <= 0) {
            m_app.Db.DeshacerTransaccion();
            return Resultado::Detenido;
        }
        m_replicados = CopiarModificacion();

        const std::string fecha = m_app.Entidades->getDateFormatbyEntity("INTERNOS", std::time(nullptr));
        s.Limpiar();
        s.Sql("insert into HIST_LOTE (FECHA, USUARIO, INTNRO) values (").Sql(fecha).Sql(", ").Texto(Usuario());
        s.Sql(", ").Texto(m_app.InternoActual).Sql(")");
        m_app.Db.Ejecutar(s);
        Recordset rs;
        m_app.Db.Sql("select max(LOTE) as lote from HIST_LOTE");
        m_app.Db.CrearRs(rs);
        const long long lote = static_cast<long long>(rs.Fields("lote").Numero());
        // One pass over the article pairs (after, before), one row per changed column:
        // each pair is joined once and then crossed with the columns, not sought again per column.
        const long cambios = m_app.Db.Ejecutar(SentenciaHistoria(m_app.InternoActual, lote, ord));
        // A save that changed nothing is no correction: an undo of it would have nothing to give back.
        if (cambios == 0)
            m_app.Db.Ejecutar(SentenciaSql("delete from HIST_LOTE where LOTE = ").Numero(lote));
        m_app.Db.ConfirmarTransaccion();
        abierta = false;
    } catch (...) {
        AppError e = AppError::Actual();
        std::string perdido;
        if (abierta) {
            // A rollback that fails reconnects, which undoes the half-made correction as well.
            std::string nota = m_app.Db.DeshacerOReconectar();
            perdido = std::string(vbCrLf) + vbCrLf +
                      "No se guardó la corrección: el artículo y los demás quedan como estaban." +
                      (nota.empty() ? std::string() : std::string(vbCrLf) + nota);
        }
        op.MsgBox(e.Mensaje() + seccion + "::" + e.Source + perdido, Icono::Critico);
        return Resultado::Fallido;
    }
    std::string replica;
    if (m_replicados > 0)
        replica = "Se replico la modificiación a " + std::to_string(m_replicados) + " articulos " + txtARTNRO;
    if (m_vehiculos > 0)
        replica += (replica.empty() ? "" : vbCrLf) + std::string("Se replicó la corrección a ") +
                   std::to_string(m_vehiculos) + " vehículos de " + txtARTNRO + ", cada uno con su propio VIN.";
    if (!replica.empty())
        op.MsgBox(replica, Icono::Informacion);
    Tag.clear();
    m_app.Retorno1 = "OK";
    Cargado = false;
    return Resultado::Hecho;
}

// ---------------------------------------------------------------------------
// History and undo

std::vector<Cambio> Historial(Aplicacion& app, const std::string& interno) {
    std::vector<Cambio> r;
    Recordset rs;
    SentenciaSql s("select l.LOTE, l.FECHA, l.USUARIO, l.INTNRO, l.DESHECHA, h.ARTORD, h.COLUMNA, h.ANTES, h.DESPUES, "
                   "h.TIPO from HIST_LOTE l join HIST h on h.LOTE = l.LOTE where l.INTNRO = ");
    s.Texto(interno).Sql(" order by l.LOTE, h.ARTORD, h.COLUMNA");
    app.Db.Sql(s);
    if (app.Db.CrearRs(rs))
        for (; !rs.Eof(); rs.MoveNext()) {
            Cambio c;
            c.Lote = static_cast<long>(rs.Fields("LOTE").Numero());
            c.FECHA = rs.Fields("FECHA").Texto();
            c.USUARIO = rs.Fields("USUARIO").Texto();
            c.INTNRO = rs.Fields("INTNRO").Texto();
            c.ARTORD = static_cast<long>(rs.Fields("ARTORD").Numero());
            c.COLUMNA = rs.Fields("COLUMNA").Texto();
            c.ANTES = rs.Fields("ANTES").EsNulo() ? "(nulo)" : rs.Fields("ANTES").Texto();
            c.DESPUES = rs.Fields("DESPUES").EsNulo() ? "(nulo)" : rs.Fields("DESPUES").Texto();
            c.TIPO = rs.Fields("TIPO").Texto();
            c.Deshecha = rs.Fields("DESHECHA").Numero() != 0;
            r.push_back(std::move(c));
        }
    return r;
}

SentenciaSql SentenciaHistoria(const std::string& interno, long long lote, long long orden) {
    SentenciaSql hist[4]; // the columns, their values before, after, and whether they changed
    for (const char* c : kColumnasHistoria) {
        hist[0].Sql(hist[0].Plantilla().empty() ? "select " : " union all select ").Texto(c).Sql(" as col");
        hist[1].Sql(" when ").Texto(c).Sql(" then b.").Sql(c);
        hist[2].Sql(" when ").Texto(c).Sql(" then a.").Sql(c);
        hist[3].Sql(" when ").Texto(c).Sql(" then a.").Sql(c).Sql(" is not b.").Sql(c);
    }
    SentenciaSql s("insert into HIST (LOTE, COLUMNA, ARTORD, ANTES, DESPUES, TIPO) select ");
    s.Numero(lote).Sql(", c.col, a.ARTORD, case c.col").Anexar(hist[1]).Sql(" end, case c.col").Anexar(hist[2]);
    s.Sql(" end, case when a.ARTORD = ").Numero(orden).Sql(" then 'M' else 'R' end from temp.HIST_ANTES b ");
    s.Sql("join ART a on a.INTNRO = b.INTNRO and a.ARTORD = b.ARTORD cross join (").Anexar(hist[0]);
    s.Sql(") c where a.INTNRO = ").Texto(interno).Sql(" and case c.col").Anexar(hist[3]).Sql(" end");
    return s;
}

void SentenciaDeshacer(SentenciaSql& s, const std::string& interno, long long lote, const char* columna) {
    s.Limpiar();
    s.Sql("update ART set ").Sql(columna).Sql(" = (select h.ANTES from HIST h where h.LOTE = ").Numero(lote);
    s.Sql(" and h.COLUMNA = ").Texto(columna).Sql(" and h.ARTORD = ART.ARTORD) where INTNRO = ").Texto(interno);
    s.Sql(" and ARTORD in (select ARTORD from HIST where LOTE = ").Numero(lote).Sql(" and COLUMNA = ");
    s.Texto(columna).Sql(")");
}

namespace {

// The last correction of the interno not undone yet: its lot and date, and how many articles it changed.
bool UltimaCorreccion(Aplicacion& app, const std::string& interno, long long& lote, std::string& fecha,
                      long& articulos) {
    Recordset rs;
    SentenciaSql s("select LOTE, FECHA from HIST_LOTE where INTNRO = ");
    s.Texto(interno).Sql(" and DESHECHA = 0 order by LOTE desc limit 1");
    app.Db.Sql(s);
    if (!app.Db.CrearRs(rs))
        return false;
    lote = static_cast<long long>(rs.Fields("LOTE").Numero());
    fecha = rs.Fields("FECHA").Texto();
    Recordset cuenta;
    s.Limpiar();
    s.Sql("select count(distinct ARTORD) as articulos from HIST where LOTE = ").Numero(lote);
    app.Db.Sql(s);
    app.Db.CrearRs(cuenta);
    articulos = static_cast<long>(cuenta.Fields("articulos").Numero());
    return true;
}

} // namespace

Resultado Deshacer(Aplicacion& app, const std::string& interno, bool preguntar) {
    Operador& op = *app.Op;
    long long lote = 0;
    std::string fecha;
    long articulos = 0;
    auto nada = [&] {
        op.MsgBox("No hay correcciones para deshacer en el interno " + interno + ".", Icono::Exclamacion);
        return Resultado::Detenido;
    };
    if (!UltimaCorreccion(app, interno, lote, fecha, articulos))
        return nada();
    if (preguntar &&
        !op.Preguntar(Operador::Preguntas::Deshacer, "Desea deshacer la última corrección (" + fecha + ", " +
                                                         std::to_string(articulos) + " articulos)?"))
        return Resultado::Detenido;
    std::string motivo; // why the undo was refused inside its transaction
    long deshechos = 0;
    try {
        // Everything is decided holding the work database: a transfer holds it
        // until its declaration is committed, so the check below sees a
        // transfer that was still running when the operator asked.
        app.Db.ComenzarTransaccion();
        const long long preguntado = lote;
        if (!UltimaCorreccion(app, interno, lote, fecha, articulos) || lote != preguntado) {
            app.Db.DeshacerTransaccion();
            if (lote == preguntado) // nothing left to undo
                return nada();
            op.MsgBox("Otra ejecución cambió las correcciones del interno " + interno +
                          " mientras tanto: vuelva a intentarlo.",
                      Icono::Exclamacion);
            return Resultado::Detenido;
        }
        // What was transferred after the correction carries it: undoing it here
        // would leave the declaration and the work database disagreeing.
        Recordset car;
        Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
        SentenciaSql s("select max(fechaalta) as fecha from caratula where interno = ");
        s.Texto(interno);
        internos.Sql(s);
        if (internos.CrearRs(car) && !car.Fields("fecha").EsNulo() && car.Fields("fecha").Texto() >= fecha)
            motivo = "La corrección del " + fecha + " ya fue transferida con el interno " + interno + " (" +
                     car.Fields("fecha").Texto() + "): no se puede deshacer.";
        if (motivo.empty()) {
            // Only the articles the correction changed take its values back.
            Recordset quedan;
            s.Limpiar();
            s.Sql("select count(distinct h.ARTORD) as n from HIST h join ART a on a.INTNRO = ").Texto(interno);
            s.Sql(" and a.ARTORD = h.ARTORD where h.LOTE = ").Numero(lote);
            app.Db.Sql(s);
            app.Db.CrearRs(quedan);
            deshechos = static_cast<long>(quedan.Fields("n").Numero());
            if (deshechos == 0)
                motivo = "Los artículos de la corrección del " + fecha + " ya no están en el interno " + interno +
                         ": no hay nada que deshacer.";
        }
        if (!motivo.empty()) {
            app.Db.DeshacerTransaccion();
            op.MsgBox(motivo, Icono::Exclamacion);
            return Resultado::Detenido;
        }
        for (const char* c : kColumnasHistoria) {
            SentenciaDeshacer(s, interno, lote, c);
            app.Db.Ejecutar(s);
        }
        app.Db.Ejecutar(SentenciaSql("update HIST_LOTE set DESHECHA = 1 where LOTE = ").Numero(lote));
        app.Db.ConfirmarTransaccion();
    } catch (...) {
        AppError e = AppError::Actual();
        std::string nota = app.Db.DeshacerOReconectar();
        if (!nota.empty())
            e.Description += vbCrLf + nota;
        op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmDEP.Deshacer]", Icono::Critico);
        return Resultado::Fallido;
    }
    Bitacora::Registrar(app.Home, interno, "deshacer",
                        std::string(TextoResultado(Resultado::Hecho)) + ": correccion " + std::to_string(lote), 0);
    op.MsgBox("Se deshizo la corrección del " + fecha + " (" + std::to_string(deshechos) + " articulos).",
              Icono::Informacion);
    return Resultado::Hecho;
}

} // namespace Depuracion
