#include "app/filing_check_text.hpp"

#include "env/translation.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

std::string ProblemText(Problem problem) {
    switch (problem) {
        case Problem::emptyFile:
            return Translate(Cp850("FITXER BUIT"));
        case Problem::recordLength:
            return Translate(Cp850("REGISTRE QUE NO TÉ 500 CARÀCTERS"));
        case Problem::lineEnd:
            return Translate(Cp850("REGISTRE SENSE EL FINAL CR LF"));
        case Problem::placeholder:
            return Translate(Cp850(
                "REGISTRE EN BLANC: EL PROCÉS ES VA INTERROMPRE, TORNEU A GENERAR EL FITXER"));
        case Problem::firstNotDeclarant:
            return Translate(Cp850("EL PRIMER REGISTRE NO ÉS EL DEL DECLARANT (TIPUS 1)"));
        case Problem::secondDeclarant:
            return Translate(Cp850("REGISTRE DE DECLARANT (TIPUS 1) FORA DEL PRIMER LLOC"));
        case Problem::unknownType:
            return Translate(Cp850("TIPUS DE REGISTRE DESCONEGUT"));
        case Problem::characters:
            return Translate(Cp850("CARÀCTERS NO ADMESOS (MINÚSCULES, ACCENTS O SÍMBOLS)"));
        case Problem::model:
            return Translate(Cp850("MODEL DIFERENT DE 190"));
        case Problem::year:
            return Translate(Cp850("EXERCICI DIFERENT DEL DEL PRIMER REGISTRE"));
        case Problem::folderYear:
            return Translate(Cp850("EXERCICI DIFERENT DEL DE LA CARPETA"));
        case Problem::declarantDiffers:
            return Translate(Cp850("NIF DEL DECLARANT DIFERENT DEL DEL PRIMER REGISTRE"));
        case Problem::staleFile:
            return Translate(
                Cp850("FITXER QUE L'ÚLTIM PROCÉS NO HA ESCRIT (PROPIETARI FORA DE L'INTERVAL O "
                      "SENSE RETENCIONS): NO EL PRESENTEU"));
        case Problem::declarantTaxBlank:
            return Translate(
                Cp850("NIF DEL PROPIETARI EN BLANC: ENTREU-LO A LA FITXA DEL PROPIETARI"));
        case Problem::declarantTaxMalformed:
            return Translate(
                Cp850("NIF DEL PROPIETARI MAL FORMAT: CORREGIU LA FITXA DEL PROPIETARI"));
        case Problem::declarantTaxCheck:
            return Translate(
                Cp850("NIF DEL PROPIETARI AMB EL CARÀCTER DE CONTROL ERRONI: CORREGIU LA FITXA DEL "
                      "PROPIETARI"));
        case Problem::declarantName:
            return Translate(
                Cp850("NOM DEL PROPIETARI EN BLANC: CORREGIU LA FITXA DEL PROPIETARI"));
        case Problem::phone:
            return Translate(Cp850(
                "TELÈFON DE CONTACTE QUE NO TÉ 9 XIFRES: CORREGIU LES DADES DEL PRESENTADOR"));
        case Problem::contactName:
            return Translate(
                Cp850("NOM DE CONTACTE AMB MINÚSCULES, ACCENTS, SÍMBOLS O UNA SOLA PARAULA: "
                      "CORREGIU LES DADES DEL PRESENTADOR"));
        case Problem::declarationNumber:
            return Translate(
                Cp850("NÚMERO DE DECLARACIÓ 1900000000000: NO ÉS ÚNIC, UNA DECLARACIÓ "
                      "COMPLEMENTÀRIA NO EL PODRÀ CITAR"));
        case Problem::payeeCount:
            return Translate(
                Cp850("NOMBRE DE PERCEPTORS DEL DECLARANT DIFERENT DELS REGISTRES DE PERCEPTOR"));
        case Problem::totalBase:
            return Translate(Cp850("BASE TOTAL DEL DECLARANT DIFERENT DE LA SUMA DELS PERCEPTORS"));
        case Problem::totalWithheld:
            return Translate(
                Cp850("RETENCIONS TOTALS DEL DECLARANT DIFERENTS DE LA SUMA DELS PERCEPTORS "
                      "(RETENCIONS NEGATIVES?)"));
        case Problem::payeeTaxBlank:
            return Translate(Cp850("PERCEPTOR SENSE NIF: ENTREU-LO A LA FITXA DEL PERCEPTOR"));
        case Problem::payeeTaxMalformed:
            return Translate(
                Cp850("NIF DEL PERCEPTOR MAL FORMAT: CORREGIU LA FITXA DEL PERCEPTOR"));
        case Problem::payeeTaxCheck:
            return Translate(
                Cp850("NIF DEL PERCEPTOR AMB EL CARÀCTER DE CONTROL ERRONI: CORREGIU LA FITXA DEL "
                      "PERCEPTOR"));
        case Problem::payeeName:
            return Translate(
                Cp850("NOM DEL PERCEPTOR EN BLANC: CORREGIU LA FITXA DEL PERCEPTOR O LA SEVA "
                      "IDENTITAT FISCAL"));
        case Problem::province:
            return Translate(Cp850(
                "CODI DE PROVÍNCIA INEXISTENT: CORREGIU EL CODI POSTAL DE L'ADREÇA DEL PERCEPTOR"));
        case Problem::defaultProvince:
            return Translate(
                Cp850("PROVÍNCIA PER DEFECTE: L'ADREÇA DEL PERCEPTOR NO TÉ CODI POSTAL"));
        case Problem::keySubkey:
            return Translate(Cp850("CLAU I SUBCLAU QUE EL MODEL NO ADMET"));
        case Problem::sign:
            return Translate(Cp850("SIGNE QUE NO ÉS BLANC NI N"));
        case Problem::amount:
            return Translate(Cp850("IMPORT AMB CARÀCTERS QUE NO SÓN XIFRES"));
        case Problem::withheldOverBase:
            return Translate(
                Cp850("RETENCIÓ MÉS GRAN QUE LA BASE: REVISEU ELS PAGAMENTS DEL PERCEPTOR"));
        case Problem::withheldNegativeBase:
            return Translate(
                Cp850("RETENCIÓ POSITIVA AMB BASE NEGATIVA: REVISEU ELS PAGAMENTS DEL PERCEPTOR"));
        case Problem::rateProfessional:
            return Translate(
                Cp850("TIPUS DE RETENCIÓ LLUNY DEL 15 % (O 7 %) D'UN PROFESSIONAL: REVISEU ELS "
                      "PAGAMENTS"));
        case Problem::rateContractor:
            return Translate(
                Cp850("TIPUS DE RETENCIÓ LLUNY DE L'1 % EN CLAU H04: REVISEU ELS PAGAMENTS O EL "
                      "TIPUS DE PERCEPTOR"));
        case Problem::notNumeric:
            return Translate(
                Cp850("POSICIONS NUMÈRIQUES AMB BLANCS O ALTRES CARÀCTERS (DADES FAMILIARS DEL "
                      "TREBALLADOR?)"));
        case Problem::birthYearMissing:
            return Translate(
                Cp850("ANY DE NAIXEMENT EN BLANC: ENTREU LES DADES FAMILIARS DEL TREBALLADOR"));
        case Problem::birthYearImplausible:
            return Translate(
                Cp850("ANY DE NAIXEMENT IMPROBABLE: REVISEU LES DADES FAMILIARS DEL TREBALLADOR"));
        case Problem::familySituation:
            return Translate(
                Cp850("SITUACIÓ FAMILIAR QUE NO ÉS 1, 2 NI 3: CORREGIU LES DADES FAMILIARS"));
        case Problem::spouseTaxMissing:
            return Translate(Cp850(
                "SITUACIÓ FAMILIAR 2 SENSE NIF DEL CÒNJUGE: ENTREU-LO A LES DADES FAMILIARS"));
        case Problem::spouseTaxInvalid:
            return Translate(Cp850("NIF DEL CÒNJUGE INCORRECTE: CORREGIU LES DADES FAMILIARS"));
        case Problem::spouseWithoutSituation2:
            return Translate(
                Cp850("NIF DEL CÒNJUGE AMB UNA SITUACIÓ FAMILIAR QUE NO ÉS 2: CORREGIU LES DADES "
                      "FAMILIARS"));
        case Problem::disability:
            return Translate(Cp850("DISCAPACITAT QUE NO ÉS 0 A 3: CORREGIU LES DADES FAMILIARS"));
        case Problem::contractKind:
            return Translate(
                Cp850("TIPUS DE CONTRACTE QUE NO ÉS 1 A 4: CORREGIU LES DADES FAMILIARS"));
        case Problem::mobility:
            return Translate(
                Cp850("MOBILITAT GEOGRÀFICA QUE NO ÉS 0 NI 1: CORREGIU LES DADES FAMILIARS"));
        case Problem::children:
            return Translate(
                Cp850("TRES PRIMERS FILLS DECLARATS SENSE ELS DESCENDENTS A LES DADES FAMILIARS"));
        case Problem::duplicatePayee:
            return Translate(
                Cp850("EL MATEIX PERCEPTOR DUES VEGADES AMB LA MATEIXA CLAU: DOS CODIS AMB EL "
                      "MATEIX NIF?"));
        case Problem::listingTotals:
            return Translate(
                "TOTALS DEL LLISTAT DEL PROPIETARI DIFERENTS DEL REGISTRE DEL "
                "DECLARANT: TORNEU A GENERAR EL FITXER O EL LLISTAT");
    }
    return {};
}

// The declarant's own problems name the owner; those of the whole file
// name nobody.
bool ConcernsOwner(Problem problem) {
    switch (problem) {
        case Problem::declarantTaxBlank:
        case Problem::declarantTaxMalformed:
        case Problem::declarantTaxCheck:
        case Problem::declarantName:
        case Problem::staleFile:
        case Problem::listingTotals:
            return true;
        default:
            return false;
    }
}

// A value from the file shown in a text: control characters would break the
// report line.
std::string Shown(const std::string& value) {
    std::string shown = value;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32) c = '?';
    }
    return shown;
}

}  // namespace

std::string FindingText(const Finding& finding, const std::string& ownerDigits) {
    std::string text = ProblemText(finding.problem);
    if (!finding.value.empty()) text += " [" + Shown(finding.value) + "]";
    std::string payee = finding.payeeCode;
    const auto add = [&payee](const std::string& part) {
        if (!part.empty()) payee += (payee.empty() ? "" : " ") + part;
    };
    add(Shown(finding.payeeName));
    if (!finding.payeeTaxNumber.empty()) add("(" + Shown(finding.payeeTaxNumber) + ")");
    if (!payee.empty()) {
        text += Translate(" - PERCEPTOR ") + payee;
    } else if (ConcernsOwner(finding.problem) && !ownerDigits.empty()) {
        text += Translate(" - PROPIETARI ") + ownerDigits;
    }
    return text;
}

std::string FindingLine(const std::string& path, const Finding& finding,
                        const std::string& ownerDigits) {
    return path + ":" + std::to_string(finding.record) + ":" + std::to_string(finding.position) +
           ": " + finding.severity() + " " + finding.code() + " " +
           FindingText(finding, ownerDigits);
}

std::string OwnerDigitsOfReturnFile(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return IsReturnFileName(name) ? name.substr(1) : std::string();
}

std::string CheckCountsText(int errors, int warnings, const std::string& reportPath,
                            bool reportWritten) {
    const std::string counts = Translate(Cp850(" - REVISIÓ: ")) + std::to_string(errors) +
                               Translate(" ERRORS, ") + std::to_string(warnings);
    if (!reportWritten) {
        return counts + " - " + Translate("NO ES POT ESCRIURE EL FITXER ") + reportPath;
    }
    return counts + Translate(" AVISOS: VEGEU ") + reportPath;
}

}  // namespace vela
