#include "app/OperadorConsola.h"

#include "comun/Aplicacion.h"
#include "config/RelacionPais.h"
#include "platform/Texto.h"

#include <iostream>

OperadorConsola::OperadorConsola(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

const char* OperadorConsola::NombreIcono(Icono icono) {
    switch (icono) {
    case Icono::Critico:
        return "CRITICO";
    case Icono::Pregunta:
        return "PREGUNTA";
    case Icono::Exclamacion:
        return "EXCLAMACION";
    case Icono::Informacion:
        return "INFORMACION";
    case Icono::Ninguno:
        break;
    }
    return "MENSAJE";
}

Operador::Respuesta OperadorConsola::MsgBox(const std::string& texto, Icono icono, Botones botones) {
    if (botones == Botones::SiNo)
        return Preguntar("", texto) ? Respuesta::Si : Respuesta::No;
    m_out << NombreIcono(icono) << ": " << Reemplazar(texto, "\r\n", "\n") << "\n\n";
    m_out.flush();
    return Respuesta::Aceptar;
}

std::string OperadorConsola::DelTerminal(const std::string& pedido, const std::string& faltante) {
    if (!Terminal)
        throw Cancelacion("Falta la respuesta a " + faltante + ": no se hizo nada.");
    m_err << pedido;
    m_err.flush();
    std::string linea;
    if (!std::getline(std::cin, linea))
        throw Cancelacion("Falta la respuesta a " + faltante + ": no se hizo nada.");
    return linea;
}

namespace {
// The command-line option that answers a question: its id, but where the option is shorter.
std::string OpcionDe(const std::string& id) {
    return id == Operador::Preguntas::ReplicarVehiculos ? "vehiculos" : id;
}
} // namespace

bool OperadorConsola::Preguntar(const std::string& id, const std::string& texto) {
    std::string t = Reemplazar(texto, "\r\n", "\n");
    m_out << "PREGUNTA: " << t;
    m_out.flush();
    bool si = false;
    auto dada = Respuestas.find(id);
    if (dada != Respuestas.end()) {
        si = dada->second;
    } else {
        std::string r = LCaseAscii(
            Trim(DelTerminal("\n" + t + " [s/n]: ", "la pregunta \"" + t + "\" (--" + OpcionDe(id) + " si|no)")));
        si = r == "s" || r == "si" || r == "sí";
    }
    m_out << "\n-> " << (si ? "Si" : "No") << "\n\n";
    return si;
}

std::string OperadorConsola::InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                                      const std::string& defecto) {
    std::string r;
    auto dado = Valores.find(id);
    if (dado != Valores.end()) {
        // Used once: a value refused and asked again needs a new answer, or
        // the question would come back for ever.
        r = dado->second;
        Valores.erase(dado);
    } else if (TomarDefectos && !defecto.empty()) {
        r = defecto;
    } else {
        // The window's box comes filled with the default; the terminal shows it
        // in brackets, so Enter alone takes it and a lone "-" answers nothing.
        r = DelTerminal(titulo + ": " + prompt + " [" + defecto + "] (- para vacío): ",
                        "\"" + prompt + "\" (--valor " + id + "=VALOR)");
        if (Trim(r).empty())
            r = defecto;
        else if (Trim(r) == "-")
            r.clear();
    }
    m_out << "ENTRADA: " << titulo << ": " << prompt << "\n-> " << r << "\n\n";
    return r;
}

std::string OperadorConsola::ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                                          const std::string& actual) {
    std::string codigo;
    auto dada = Opciones.find(id);
    if (dada != Opciones.end()) {
        codigo = dada->second;
    } else if (TomarDefectos && !Trim(actual).empty()) {
        codigo = Trim(actual);
    } else {
        std::string lista;
        for (const std::string& l : lineas)
            lista += "  " + l + "\n";
        codigo = Trim(DelTerminal("Carga de Sufijos:\n" + lista + "Código: ",
                                  "la opción del grupo " + id + " (--opcion " + id + "=CODIGO)"));
    }
    std::string elegida;
    for (const std::string& l : lineas)
        if (!codigo.empty() && UCase(l).rfind(UCase(codigo), 0) == 0) {
            elegida = l;
            break;
        }
    m_out << "OPCION: Carga de Sufijos: " << id << "\n-> " << (elegida.empty() ? "(cerrada sin elegir)" : elegida)
          << "\n\n";
    return elegida;
}

std::string OperadorConsola::PreguntarTipo() {
    m_out << "PREGUNTA: PROCESAR COMO: ICR1 / ICR2\n-> " << (Tipo.empty() ? "(cerrada sin elegir)" : Tipo) << "\n\n";
    return Tipo;
}

void OperadorConsola::MostrarRelPais(Aplicacion& app) {
    RelacionPais::FormRelPais f(app);
    f.Form_Load();
    std::string ori, esm;
    auto dada = Relaciones.find(f.txtValor);
    if (dada != Relaciones.end()) {
        ori = dada->second.first;
        esm = dada->second.second;
    } else if (Terminal) {
        m_err
            << "Establecer Pais: el valor \"" << f.txtValor
            << "\" no tiene relación. Escriba ORI:ESM (país del sistema y estado de mercadería), vacío para cancelar: ";
        std::string linea;
        std::getline(std::cin, linea);
        size_t dos = linea.find(':');
        if (Trim(linea).empty() || dos == std::string::npos)
            throw Cancelacion("Importación cancelada: falta la relación de país para el valor " + f.txtValor + ".");
        ori = Trim(linea.substr(0, dos));
        esm = Trim(linea.substr(dos + 1));
    } else {
        throw Cancelacion("Falta la relación de país para el valor \"" + f.txtValor + "\": indíquela con --relacion " +
                          f.txtValor + "=ORI:ESM o créela con 'relacion add'.");
    }
    int i = f.IndiceDe(ori);
    if (i < 0)
        throw Cancelacion("El país " + ori + " no está en la tabla de países: no se puede relacionar el valor " +
                          f.txtValor + ".");
    m_out << "Establecer Pais: " << f.txtValor << " -> " << ori << " (estado " << esm << ")\n\n";
    if (!f.f_Grabar(f.txtValor, i, esm))
        throw Cancelacion("No se pudo guardar la relación de país para el valor " + f.txtValor + ".");
}

void OperadorConsola::Estado(const std::string& texto) {
    m_err << texto << "\n";
}
