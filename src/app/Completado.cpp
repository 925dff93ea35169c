#include "app/Completado.h"

#include <cctype>
#include <sstream>

namespace Completado {

namespace {

struct Palabra {
    std::string Texto;
    int Grupo; // the bracket pair it sits in; 0 outside any
};

std::vector<Palabra> Palabras(const std::string& uso) {
    std::vector<Palabra> r;
    int grupo = 0, siguiente = 0, profundidad = 0;
    std::string actual;
    auto cerrar = [&] {
        if (!actual.empty())
            r.push_back({actual, grupo});
        actual.clear();
    };
    for (char ch : uso) {
        if (ch == '[') {
            cerrar();
            if (profundidad++ == 0)
                grupo = ++siguiente;
        } else if (ch == ']') {
            cerrar();
            if (profundidad > 0 && --profundidad == 0)
                grupo = 0;
        } else if (std::isspace(static_cast<unsigned char>(ch))) {
            cerrar();
        } else {
            actual += ch;
        }
    }
    cerrar();
    return r;
}

std::vector<std::string> Partir(const std::string& s, char sep) {
    std::vector<std::string> r;
    std::string parte;
    std::istringstream in(s);
    while (std::getline(in, parte, sep))
        if (!parte.empty())
            r.push_back(parte);
    return r;
}

bool Minusculas(const std::string& s) {
    for (char ch : s)
        if (!std::islower(static_cast<unsigned char>(ch)) && ch != '-')
            return false;
    return !s.empty() && s[0] != '-';
}

Opcion ConValor(std::string nombre, const std::string& valor) {
    Opcion o{std::move(nombre), Valor::Libre, {}};
    if (valor.find('|') != std::string::npos) {
        o.Tipo = Valor::Opciones;
        o.Valores = Partir(valor, '|');
    } else if (valor == "FILE" || valor == "ARCHIVO") {
        o.Tipo = Valor::Archivo;
    } else if (valor == "DIR" || valor == "CARPETA") {
        o.Tipo = Valor::Carpeta;
    }
    return o;
}

// Words are written inside single quotes: a value such as "si|no" must reach
// compgen whole.
std::string Lista(const std::vector<std::string>& palabras) {
    std::string r;
    for (const std::string& p : palabras)
        r += (r.empty() ? "" : " ") + p;
    return "'" + r + "'";
}

std::string Caso(const Opcion& o, const std::string& sangria) {
    switch (o.Tipo) {
    case Valor::Archivo:
        return sangria + "compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\")); return;;\n";
    case Valor::Carpeta:
        return sangria + "compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -d -- \"$cur\")); return;;\n";
    case Valor::Opciones:
        return sangria + "COMPREPLY=($(compgen -W " + Lista(o.Valores) + " -- \"$cur\")); return;;\n";
    default:
        return sangria + "return;;\n";
    }
}

} // namespace

Orden LeerUso(const std::string& uso) {
    const std::vector<Palabra> p = Palabras(uso);
    Orden r;
    if (p.empty())
        return r;
    r.Nombre = p[0].Texto;
    for (size_t i = 1; i < p.size(); ++i) {
        const std::string& t = p[i].Texto;
        if (t.rfind("--", 0) == 0) {
            const std::vector<std::string> nombres = Partir(t, '|'); // [--utf8|--utf8-bom]
            const bool valor = nombres.size() == 1 && i + 1 < p.size() && p[i + 1].Grupo == p[i].Grupo &&
                               p[i + 1].Texto[0] != '-' && p[i + 1].Texto != "|" && p[i + 1].Texto != "...";
            if (valor) {
                r.Opciones.push_back(ConValor(t, p[++i].Texto));
            } else {
                for (const std::string& n : nombres)
                    r.Opciones.push_back({n, Valor::Ninguno, {}});
            }
        } else if (p[i].Grupo == 0 && Minusculas(t)) {
            r.Palabras.push_back(t);
        } else if (t == "FILE" || t == "ARCHIVO") {
            r.Archivo = true;
        }
    }
    return r;
}

std::string ScriptBash(const std::string& programa, const std::vector<Opcion>& globales,
                       const std::vector<Orden>& ordenes) {
    std::string funcion = "_";
    for (char ch : programa)
        funcion += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    std::vector<std::string> nombresGlobales, nombresOrdenes;
    for (const Opcion& o : globales)
        nombresGlobales.push_back(o.Nombre);
    for (const Orden& o : ordenes)
        nombresOrdenes.push_back(o.Nombre);

    std::ostringstream s;
    s << "# bash completion for " << programa << ": written by `" << programa
      << " --completado-bash` from its command table.\n"
      << funcion << "() {\n"
      << "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"\" orden=\"\" posicion=0 i\n"
      << "    [ \"$COMP_CWORD\" -gt 0 ] && prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
      << "    COMPREPLY=()\n"
      << "    # The command is the first word that is neither a global option nor its value.\n"
      << "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << "        case \"${COMP_WORDS[i]}\" in\n";
    for (const Opcion& o : globales)
        if (o.Tipo != Valor::Ninguno)
            s << "            " << o.Nombre << ") ((i++));;\n";
    s << "            -*) ;;\n"
      << "            *) orden=\"${COMP_WORDS[i]}\"; posicion=$i; break;;\n"
      << "        esac\n"
      << "    done\n"
      << "    if [ -z \"$orden\" ]; then\n"
      << "        case \"$prev\" in\n";
    for (const Opcion& o : globales)
        if (o.Tipo != Valor::Ninguno)
            s << "            " << o.Nombre << ")\n" << Caso(o, "                ");
    s << "        esac\n"
      << "        if [[ \"$cur\" == -* ]]; then\n"
      << "            COMPREPLY=($(compgen -W " << Lista(nombresGlobales) << " -- \"$cur\"))\n"
      << "        else\n"
      << "            COMPREPLY=($(compgen -W " << Lista(nombresOrdenes) << " -- \"$cur\"))\n"
      << "        fi\n"
      << "        return\n"
      << "    fi\n"
      << "    case \"$orden\" in\n";
    for (const Orden& o : ordenes) {
        std::vector<std::string> opciones{"--help"};
        for (const Opcion& x : o.Opciones)
            opciones.push_back(x.Nombre);
        std::string valores;
        for (const Opcion& x : o.Opciones)
            if (x.Tipo != Valor::Ninguno)
                valores += "                " + x.Nombre + ")\n" + Caso(x, "                    ");
        s << "        " << o.Nombre << ")\n";
        if (!valores.empty())
            s << "            case \"$prev\" in\n" << valores << "            esac\n";
        s << "            if [[ \"$cur\" == -* ]]; then\n"
          << "                COMPREPLY=($(compgen -W " << Lista(opciones) << " -- \"$cur\"))\n";
        if (!o.Palabras.empty())
            s << "            elif [ $((posicion + 1)) -eq \"$COMP_CWORD\" ]; then\n"
              << "                COMPREPLY=($(compgen -W " << Lista(o.Palabras) << " -- \"$cur\"))\n";
        if (o.Archivo)
            s << "            else\n"
              << "                compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\"))\n";
        s << "            fi;;\n";
    }
    s << "    esac\n"
      << "}\n"
      << "complete -F " << funcion << " " << programa << "\n";
    return s.str();
}

} // namespace Completado
