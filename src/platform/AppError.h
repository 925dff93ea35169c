#pragma once
#include <exception>
#include <string>

// The one error type of the program: the number, source and description that
// every operation reports, and that subordinate operations rethrow with their
// own number and a longer source so the message shows the whole chain.
struct AppError : std::exception {
    long Number = 0;
    std::string Source;
    std::string Description;

    AppError() = default;
    AppError(long number, std::string source, std::string description)
        : Number(number), Source(std::move(source)), Description(std::move(description)) {}
    const char* what() const noexcept override { return Description.c_str(); }

    // The message layout every error box starts with: the description, an
    // empty line, and the number (callers append their section label).
    std::string Mensaje() const;
    // The exception being handled, as an AppError; call only inside a catch
    // block. A Cancelacion is not an error: it is raised again from here, so
    // every handler that builds its message this way lets the stop through.
    static AppError Actual();
    // A new error with another number, the given prefix in front of this source
    // (and an optional suffix after it), and the same description.
    AppError Relanzar(long number, const std::string& prefijo, const std::string& sufijo = "") const;
};

// The operator's stop: raised by an operator implementation whose person
// asked to stop the run, or that cannot answer a question the run needs (the
// command-line runner without a terminal and without the answer). The run
// stops, undoes its own work and reports `Motivo`. It is not an exception of
// the error chain (not a std::exception): handlers that catch everything and
// ask Actual() for the error get it raised again, and only the run's owner
// (the command dispatcher, the wizard's step runner) catches it by name.
struct Cancelacion {
    std::string Motivo;
    explicit Cancelacion(std::string motivo) : Motivo(std::move(motivo)) {}
};

// Carriage return and line feed, as the messages join their parts.
inline constexpr const char* vbCrLf = "\r\n";
