#include "app/OperadorConsola.h"

#include "app/Aplicacion.h"
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
    if (icono == Icono::Critico)
        ++Criticos;
    if (icono == Icono::Critico || (icono == Icono::Ninguno && botones == Botones::Aceptar))
        ++Errores;
    std::string t = Reemplazar(texto, "\r\n", "\n");
    m_out << NombreIcono(icono) << ": " << t;
    Respuesta r = Respuesta::Aceptar;
    if (botones == Botones::SiNo) {
        r = RespuestaSiNo;
        for (const auto& [inicio, respuesta] : Respuestas)
            if (EmpiezaCon(texto, inicio))
                r = respuesta;
        m_out << "\n-> " << (r == Respuesta::Si ? "Si" : "No");
    }
    m_out << "\n\n";
    m_out.flush();
    return r;
}

std::string OperadorConsola::InputBox(const std::string& prompt, const std::string& titulo,
                                      const std::string& defecto) {
    std::string r = defecto;
    if (!Entradas.empty()) {
        r = Entradas.front();
        Entradas.pop_front();
    }
    m_out << "ENTRADA: " << titulo << ": " << prompt << "\n-> " << r << "\n\n";
    return r;
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
