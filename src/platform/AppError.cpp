#include "platform/AppError.h"

#include <new>
#include <stdexcept>

AppError AppError::Actual() {
    try {
        throw;
    } catch (const Cancelacion&) {
        throw;
    } catch (const AppError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return AppError(7, "", "Memoria insuficiente");
    } catch (const std::exception& e) {
        return AppError(5, "", e.what());
    } catch (...) {
        return AppError(5, "", "Error desconocido");
    }
}

AppError AppError::Relanzar(long number, const std::string& prefijo, const std::string& sufijo) const {
    return AppError(number, prefijo + Source + sufijo, Description);
}

std::string AppError::Mensaje() const {
    return Description + vbCrLf + vbCrLf + std::to_string(Number);
}
