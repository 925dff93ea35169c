#pragma once
#include <map>
#include <string>
#include <vector>

class SentenciaSql;

namespace Pontevar {
class Principal;
}

namespace Tesmira {

// The position's four keys in `sufidos` (chapter, heading, subheading, full
// position, each 14 characters with blanks where digits are not given),
// appended to `s` as a list of values: ('87  .  .  .   ',...,'8703.23.10.100').
void ClavesDeSufijos(SentenciaSql& s, const std::string& posicion);

// The position and suffix validator. It reads the nomenclator `ncm` and the
// suffix table `sufidos` through the entity manager's "NCM" connection.
//
// ValidarSufijos(posicion, sufijos) returns
//   1  the position is not in the nomenclator. A 15-character position must
//      match a row on [001] (characters 1-10), [002] (characters 12-14) and
//      [003] (character 15); a 14-character one on [001] and [002]; any other
//      length is not a position.
//   2  the suffix text does not fit the position's suffix groups. The groups
//      are those of `sufidos` under the position's four keys (chapter, heading,
//      subheading, full position, each 14 characters with blanks where digits
//      are not given); a group is the first two characters of a code, and its
//      kind comes from its first code (by key level, then code): 2 characters a
//      value suffix, 4 characters an option suffix, any other length is ignored
//      (not a group of the position). The text, blanks around it aside, must be
//        - "SIN SUFIJOS", exactly when the position has no group; or
//        - entries each ended by "-", every group of the position exactly once
//          and no entry for a group it does not have, where a value entry is
//          its code + "(" + value + ")" and an option entry is one of the
//          group's codes or the group + "00". A value has at most 21
//          characters and holds only A-Z, "Ñ",
//          digits, "/", "," and "&" and blanks, and is not empty or only
//          blanks (a typed value keeps the blank of a character the editor
//          filtered out at either end: "ñandú" is stored "ÑAND "); a value
//          whose code starts with "Z" is six digits.
//      An empty text is not valid for any position.
//   0  otherwise.
// A failing look-up raises an error. One instance serves one run: what it
// learns about a position is kept for the next article with that position.
class Motor {
public:
    // Called once after creation, before any validation.
    void ConexionString(Pontevar::Principal& entidades);
    int ValidarSufijos(const std::string& posicion, const std::string& sufijos);
    // Why the last validation did not return 0, in words for the operator
    // ("" after a 0): which group is missing, which value is invalid...
    const std::string& Motivo() const { return m_motivo; }

private:
    struct Grupo {
        bool Valor = false;               // value suffix (else option suffix)
        bool Numerico = false;            // value of six digits
        std::vector<std::string> Codigos; // option codes
    };
    using Grupos = std::map<std::string, Grupo>; // by its two letters

    bool PosicionExiste(const std::string& posicion);
    const Grupos& GruposDe(const std::string& posicion);
    // "" when the text fits the groups, else why not.
    static std::string MotivoSufijos(const Grupos& grupos, const std::string& sufijos);

    Pontevar::Principal* m_entidades = nullptr;
    std::map<std::string, bool> m_posiciones;
    std::map<std::string, Grupos> m_grupos; // by full-position key
    std::string m_motivo;
};

} // namespace Tesmira
