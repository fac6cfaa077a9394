#include "tools/demo/demo_office.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

#include "datenum/tax_numbers.hpp"
#include "datenum/text_utils.hpp"
#include "platform/code_page_850.hpp"
#include "tools/demo/demo_check_cases.hpp"

namespace vela {

namespace {

// splitmix64: the same numbers from the same seed on every machine (the
// standard library's distributions may differ between implementations).
class DemoRandom {
  public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Percent(int p) { return Below(100) < p; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }

  private:
    std::uint64_t state_;
};

// Names and places, in UTF-8 here and code page 850 in the records.
constexpr std::array<const char*, 32> kSurnames = {
    "GARCIA",    "MARTÍNEZ", "PUIG",     "FERRER",  "MUÑOZ",  "IBÁÑEZ", "CASAÑAS",    "VALLÈS",
    "GONÇALVES", "FONT",     "SOLÀ",     "COMAS",   "GIRÓ",   "PEÑA",   "NÚÑEZ",      "CORTÉS",
    "ROVIRA",    "SERRA",    "CASTELLÓ", "BARCELÓ", "VILARÓ", "PLANAS", "ORDÓÑEZ",    "CAÇADOR",
    "FARRÉ",     "TORRENT",  "ARAGONÈS", "BOSCH",   "RIERA",  "GÜELL",  "ETXEBERRIA", "OLIVERAS",
};
constexpr std::array<const char*, 20> kGivenNames = {
    "JOSEP",   "MARIA",    "NÚRIA",     "FRANCESC", "ENRIC", "MONTSERRAT", "JOAN",
    "ÀNGELS",  "ÍÑIGO",    "ESTÍBALIZ", "JORDI",    "MERCÈ", "ARANTXA",    "IGNASI",
    "CONXITA", "FRANÇOIS", "LAIA",      "PERE",     "ROSER", "ANDREU",
};
constexpr std::array<const char*, 12> kTrades = {
    "REFORMES",   "ELECTRICITAT", "LAMPISTERIA", "NETEGES", "FUSTERIA",      "PINTURES",
    "JARDINERIA", "ASCENSORS",    "SERRALLERIA", "VIDRES",  "CLIMATITZACIÓ", "IMPERMEABILITZACIONS",
};
constexpr std::array<const char*, 8> kCompanyForms = {"SL", "SA", "SCP",  "SLU",
                                                      "SL", "SL", "SCCL", "SA"};
constexpr std::array<const char*, 10> kStreets = {
    "C. MAJOR",      "AV. DIAGONAL", "PLAÇA DE LA VILA", "C. DE LA PEÑA", "RAMBLA CATALUNYA",
    "PG. DE GRÀCIA", "C. D'ARAGÓ",   "C. DE SANT JOAN",  "C. DEL CARME",  "TRAV. DE LES CORTS",
};
struct Town {
    const char* postalCode;
    const char* name;
    const char* province;
};
constexpr std::array<Town, 12> kTowns = {{
    {"08500", "VIC", "BARCELONA"},
    {"08001", "BARCELONA", "BARCELONA"},
    {"08172", "SANT CUGAT DEL VALLÈS", "BARCELONA"},
    {"17001", "GIRONA", "GIRONA"},
    {"43201", "REUS", "TARRAGONA"},
    {"25001", "LLEIDA", "LLEIDA"},
    {"48001", "BILBAO", "BIZKAIA"},
    {"48990", "GETXO", "BIZKAIA"},
    {"01001", "VITORIA-GASTEIZ", "ARABA"},
    {"08800", "VILANOVA I LA GELTRÚ", "BARCELONA"},
    {"28001", "MADRID", "MADRID"},
    {"17300", "BLANES", "GIRONA"},
}};
constexpr std::array<const char*, 5> kMailDomains = {"gmail.com", "telefonica.net", "xtec.cat",
                                                     "yahoo.es", "correu.cat"};

// Tax territories: the state administration, the foral ones, the islands'
// own, and one whose number the return's folder table does not know. A
// small office has owners in four of them; a large one in all nine.
struct Territory {
    int code;
    const char* name;
};
constexpr std::array<Territory, 9> kTerritories = {{
    {0, "CANARIES"},
    {1, "ESTAT"},
    {2, "ARABA"},
    {3, "GIPUZKOA"},
    {4, "BIZKAIA"},
    {5, "NAFARROA"},
    {6, "CATALUNYA"},
    {7, "ARAGO"},
    {10, "ESTRANGER"},
}};

// Payee kinds: "L" employee, "P" professional, "I", "S", "A" contractors.
constexpr std::array<char, 20> kPayeeKinds = {'L', 'L', 'L', 'P', 'P', 'P', 'P', 'P', 'I', 'I',
                                              'I', 'I', 'I', 'I', 'I', 'S', 'S', 'A', 'A', 'P'};

std::string LegalForm(const std::string& form) {
    static constexpr std::array<std::pair<const char*, const char*>, 6> kForms = {{
        {"SL", "SOCIEDAD LIMITADA"},
        {"SLU", "SOCIEDAD LIMITADA UNIPERSONAL"},
        {"SLP", "SOCIEDAD LIMITADA PROFESIONAL"},
        {"SA", "SOCIEDAD ANONIMA"},
        {"SCP", "SOCIETAT CIVIL PARTICULAR"},
        {"SCCL", "SOCIETAT COOPERATIVA"},
    }};
    for (const auto& [shortForm, longForm] : kForms) {
        if (form == shortForm) return longForm;
    }
    return form;
}

const RecordFileInfo& File(std::string_view name) {
    for (const RecordFileInfo& file : kRecordFiles) {
        if (file.name == name) return file;
    }
    return kRecordFiles[0];
}

std::size_t FileIndex(const RecordFileInfo& file) {
    return static_cast<std::size_t>(&file - kRecordFiles.data());
}

std::string Digits(long value, int width) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*ld", width, value);
    return text;
}

// A plain ASCII form of a name for e-mail addresses: letters lose their
// accents (Íñigo gives inigo), blanks become dots.
std::string MailName(std::string_view utf8) {
    std::string out;
    for (const char c : Cp850(utf8)) {
        const char folded = static_cast<char>(FoldCode(static_cast<std::uint8_t>(c), true));
        if (folded >= 'A' && folded <= 'Z') out += static_cast<char>(folded - 'A' + 'a');
        if (c == ' ' && !out.empty() && out.back() != '.') out += '.';
    }
    return out;
}

struct Person {
    std::string surnames;  // UTF-8
    std::string given;
};

Person MakePerson(DemoRandom& random) {
    return {std::string(random.Pick(kSurnames)) + " " + random.Pick(kSurnames),
            random.Pick(kGivenNames)};
}

struct Address {
    std::string line1, line2, line3;  // code page 850
};

Address MakeAddress(DemoRandom& random) {
    const Town& town = random.Pick(kTowns);
    Address address;
    address.line1 =
        Cp850(std::string(random.Pick(kStreets)) + ", " + std::to_string(random.Between(1, 180)));
    if (random.Percent(20))
        address.line1 += Cp850(", " + std::to_string(random.Between(1, 6)) + "è " +
                               std::to_string(random.Between(1, 4)) + "a");
    const int form = random.Below(10);
    if (form == 0) {
        address.line2 = Cp850(town.name);  // no postal code at all
    } else if (form == 1 && town.postalCode[0] != '0') {
        // Four digits: the leading zero of old-style codes was dropped.
        address.line2 = Cp850(std::string(town.postalCode).substr(0, 4) + " " + town.name);
    } else {
        address.line2 = Cp850(std::string(town.postalCode) + " " + town.name);
    }
    address.line3 = Cp850(town.province);
    return address;
}

std::string TaxId(const std::string& number) { return "ES" + number; }

// Tax numbers are unique by construction: each kind of holder has its own
// range, and the code of the holder picks the number inside it.
std::uint32_t NumberFor(int range, int code, std::uint64_t seed) {
    return static_cast<std::uint32_t>(10000000 + 30000000 * range + code * 2999 + seed % 1000);
}
std::uint32_t SmallNumberFor(int range, int code, std::uint64_t seed) {
    return static_cast<std::uint32_t>(1000000 + 3000000 * range + code * 299 + seed % 100);
}

class RecordWriter {
  public:
    RecordWriter(DemoRecordSink& sink, DemoCounts& counts) : sink_(sink), counts_(counts) {}
    // A fresh record of the file: blanks, as the office's programs leave
    // fields they do not use.
    std::string& Start(const RecordFileInfo& file) {
        file_ = &file;
        record_.assign(file.recordLength, ' ');
        return record_;
    }
    void Finish() {
        sink_.Add(*file_, record_);
        ++counts_[FileIndex(*file_)];
    }

  private:
    DemoRecordSink& sink_;
    DemoCounts& counts_;
    const RecordFileInfo* file_ = nullptr;
    std::string record_;
};

struct Payee {
    int code;
    char kind;
};

struct Group {
    int number;
    int territory;
};

std::string Date(int year, int month, int day) {
    return Digits(year, 4) + Digits(month, 2) + Digits(day, 2);
}

int MonthLength(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::vector<IniEntry> DemoVelaIni(const DemoOptions& options) {
    return {
        {"Usuari", "Idioma", "CAT"},
        {"Usuari", "DecCaracter", ","},
        {"Usuari", "MilCaracter", "."},
        {"Usuari", "DatCaracter", "/"},
        {"Usuari", "DatOrdre", "DMA"},
        {"Oficina", "Nom", Cp850("FINQUES PLANA DE VIC")},
        {"Oficina", "Adreca1", Cp850("RAMBLA DEL PASSEIG, 27, 2n")},
        {"Oficina", "Adreca2", "08500 VIC"},
        {"Oficina", "Adreca3", "BARCELONA"},
        {"Oficina", "RaoSocial", Cp850("ADMINISTRACIÓ DE FINQUES PLANA SL")},
        {"Oficina", "NIF", TaxId(MakeCif('B', SmallNumberFor(2, 0, options.seed)))},
        {"Presentador", "Nom", Cp850("PUIG SOLÀ MARTA")},
        {"Presentador", "Telefon", "938861234"},
    };
}

DemoCounts GenerateDemoOffice(const DemoOptions& options, DemoRecordSink& sink) {
    namespace L = layout;
    DemoCounts counts{};
    RecordWriter writer(sink, counts);
    DemoRandom random(options.seed * 0x2545F4914F6CDD1DULL + 7);
    const int owners = std::clamp(options.owners, 1, 9999);
    const int year = options.year;
    const std::uint64_t seed = options.seed;

    // Territories.
    for (const Territory& territory : kTerritories) {
        std::string& r = writer.Start(File("UTerrito"));
        L::UTerrito::territoryCode.WriteDigits(r, std::to_string(territory.code));
        L::UTerrito::territoryName.Write(r, Cp850(territory.name));
        writer.Finish();
    }

    // Payees, their family data and their registered tax identities.
    const int payeeCount = std::min(9999, std::max(40, owners * 3 / 2));
    std::vector<Payee> payees;
    for (int code = 1; code <= payeeCount; ++code) {
        const char kind = random.Pick(kPayeeKinds);
        payees.push_back({code, kind});
        const bool person =
            kind == 'L' || (kind == 'P' && random.Percent(70)) || random.Percent(25);
        std::string name, registeredName, mail;
        if (person) {
            const Person p = MakePerson(random);
            name = p.surnames + "*" + p.given;
            registeredName = p.surnames + " " + p.given;
            mail = MailName(p.given) + "." + MailName(p.surnames.substr(0, p.surnames.find(' ')));
        } else {
            const std::string trade = kind == 'P' ? "ADVOCATS" : random.Pick(kTrades);
            const std::string surname = random.Pick(kSurnames);
            const std::string form = kind == 'P' ? "SLP" : random.Pick(kCompanyForms);
            name = trade + " " + surname + " " + form;
            // The tax agency registers the legal form written out.
            registeredName = trade + " " + surname + " " + LegalForm(form);
            mail = MailName(trade.substr(0, 8)) + MailName(surname);
        }
        std::string number;
        if (!person) {
            number = MakeCif(random.Percent(80) ? 'B' : 'A', SmallNumberFor(0, code, seed));
        } else if (random.Percent(15)) {
            number = MakeNie(code % 3, SmallNumberFor(1, code, seed));
        } else {
            number = MakeNif(NumberFor(0, code, seed));
        }
        // One payee of each thirty has no tax number on file yet.
        const bool knownTaxId = code % 30 != 7;

        std::string& r = writer.Start(File("Industri"));
        const Address address = MakeAddress(random);
        L::Industri::payeeCode.WriteDigits(r, std::to_string(code));
        L::Industri::payeeName.Write(r, Cp850(name));
        L::Industri::payeeAddress1.Write(r, address.line1);
        L::Industri::payeeAddress2.Write(r, address.line2);
        L::Industri::payeeAddress3.Write(r, address.line3);
        L::Industri::payeeKind.Write(r, std::string(1, kind));
        L::Industri::payeeFlag.Write(r, 0);
        if (random.Percent(40)) {
            L::Industri::payeeEmail.Write(r, mail + "@" + random.Pick(kMailDomains));
        }
        if (knownTaxId) L::Industri::payeeTaxId.Write(r, TaxId(number));
        writer.Finish();

        if (kind == 'L') {
            std::string& f = writer.Start(File("UIndFami"));
            L::UIndFami::payeeCode.WriteDigits(f, std::to_string(code));
            L::UIndFami::birthYear.WriteDigits(f, std::to_string(random.Between(1955, 2002)));
            const int situation = random.Between(1, 3);
            L::UIndFami::familySituation.Write(f, std::to_string(situation));
            if (situation == 2) {
                L::UIndFami::spouseTaxId.Write(f, TaxId(MakeNif(NumberFor(1, code, seed))));
            }
            L::UIndFami::disability.Write(f, random.Percent(10) ? "1" : "0");
            L::UIndFami::contractKind.Write(f, random.Percent(80) ? "1" : "2");
            L::UIndFami::extensionFlag.Write(f, "0");
            L::UIndFami::mobilityFlag.Write(f, random.Percent(5) ? "1" : "0");
            L::UIndFami::reductions.Write(f, random.Percent(30) ? random.Between(1, 300000) : 0);
            L::UIndFami::deductibleExpenses.Write(f, random.Between(150000, 250000));
            L::UIndFami::compensatoryPensions.Write(
                f, random.Percent(10) ? random.Between(100000, 600000) : 0);
            L::UIndFami::childSupport.Write(
                f, random.Percent(10) ? random.Between(100000, 500000) : 0);
            for (std::size_t i = 1; i <= L::UIndFami::familyCounts.count; ++i) {
                L::UIndFami::familyCounts[i].Write(
                    f, static_cast<std::int16_t>(random.Percent(25) ? random.Between(1, 3) : 0));
            }
            writer.Finish();
        }

        // Most tax numbers are registered, under the name the tax agency
        // knows (without the "*" between surnames and given names).
        if (knownTaxId && random.Percent(80)) {
            std::string& u = writer.Start(File("UFiscal"));
            L::UFiscal::fiscalTaxId.Write(u, TaxId(number));
            L::UFiscal::fiscalName.Write(u, Cp850(registeredName));
            writer.Finish();
        }
    }

    // Owners with their groups, period headers and lines, and payments.
    for (int owner = 1; owner <= owners; ++owner) {
        const std::string ownerDigits = Digits(owner, 4);
        const bool company = owner % 4 == 2;
        std::string name, number;
        if (company) {
            name = std::string("COMUNITAT PROPIETARIS ") + random.Pick(kStreets);
            number = MakeCif(owner % 8 == 2 ? 'E' : 'H', SmallNumberFor(2, owner, seed));
        } else {
            const Person p = MakePerson(random);
            name = p.surnames + "*" + p.given;
            number = owner % 9 == 5 ? MakeNie(owner % 3, SmallNumberFor(1, owner + 5000, seed))
                                    : MakeNif(NumberFor(2, owner, seed));
        }
        std::string& o = writer.Start(File("VPropiet"));
        const Address address = MakeAddress(random);
        L::VPropiet::ownerCode.WriteDigits(o, ownerDigits);
        L::VPropiet::ownerName.Write(o, Cp850(name));
        L::VPropiet::ownerAddress1.Write(o, address.line1);
        L::VPropiet::ownerAddress2.Write(o, address.line2);
        L::VPropiet::ownerAddress3.Write(o, address.line3);
        // One owner in seven does not withhold; one in eleven is closed
        // (state byte not 0) though marked as withholding.
        L::VPropiet::withholdingOwner.Write(o, owner % 7 == 3 ? "N" : "S");
        L::VPropiet::ownerState.Write(o, owner % 11 == 6 ? 1 : 0);
        L::VPropiet::ownerTaxId.Write(o, TaxId(number));
        writer.Finish();

        // Groups: most owners in the state territory, some foral, some in
        // the territory without a folder; one in five has a second group in
        // another territory.
        static constexpr std::array<int, 10> kSmallOfficeTerritory = {1, 1, 1, 4, 1,
                                                                      1, 4, 1, 2, 10};
        static constexpr std::array<int, 10> kLargeOfficeTerritory = {1, 0, 1, 4, 3,
                                                                      5, 6, 7, 2, 10};
        const auto& kOwnerTerritory =
            owners > kSmallOffice ? kLargeOfficeTerritory : kSmallOfficeTerritory;
        std::vector<Group> groups = {{1, kOwnerTerritory[owner % 10]}};
        if (owner % 5 == 0) groups.push_back({2, kOwnerTerritory[(owner + 3) % 10]});
        for (const Group& group : groups) {
            std::string& g = writer.Start(File("VGrups"));
            L::VGrups::groupKey.WriteDigits(g, ownerDigits + Digits(group.number, 4));
            L::VGrups::groupTerritory.WriteDigits(g, std::to_string(group.territory));
            writer.Finish();
        }

        // Period headers: one a quarter for each group over two years, with
        // the payments on account of the quarter, and their lines.
        for (const Group& group : groups) {
            const std::string groupDigits = ownerDigits + Digits(group.number, 4);
            for (int y = year - 1; y <= year; ++y) {
                for (int quarter = 1; quarter <= 4; ++quarter) {
                    const std::string date = Date(y, 3 * quarter, MonthLength(y, 3 * quarter));
                    std::string& h = writer.Start(File("VCapPeri"));
                    L::VCapPeri::periodGroup.WriteDigits(h, groupDigits);
                    L::VCapPeri::periodDate.WriteDigits(h, date);
                    L::VCapPeri::paidOnAccountG.Write(
                        h, random.Percent(60) ? random.Between(1000, 90000) : 0);
                    L::VCapPeri::paidOnAccountA.Write(
                        h, random.Percent(40) ? random.Between(1000, 60000) : 0);
                    L::VCapPeri::paidOnAccountH.Write(
                        h, random.Percent(50) ? random.Between(500, 30000) : 0);
                    writer.Finish();
                    const int lines = random.Between(1, 3);
                    for (int line = 1; line <= lines; ++line) {
                        std::string& l = writer.Start(File("VLinPeri"));
                        L::VLinPeri::lineGroup.WriteDigits(l, groupDigits);
                        L::VLinPeri::lineDate.WriteDigits(l, date);
                        L::VLinPeri::lineNumber.Write(l, static_cast<std::int16_t>(line));
                        writer.Finish();
                    }
                }
            }
        }

        // The owner's payees: an employee for most, a few professionals and
        // contractors; then the office's own monthly fee (payee 0000).
        std::vector<Payee> ownerPayees;
        const int wanted = random.Between(6, 14);
        for (int tries = 0; static_cast<int>(ownerPayees.size()) < wanted && tries < 200; ++tries) {
            const Payee& candidate = payees[static_cast<std::size_t>(random.Below(payeeCount))];
            const bool known =
                std::any_of(ownerPayees.begin(), ownerPayees.end(),
                            [&](const Payee& p) { return p.code == candidate.code; });
            if (!known) ownerPayees.push_back(candidate);
        }

        struct Payment {
            std::string date;
            int group;
            int payee;
            std::int32_t base;
            std::int32_t withheld;
        };
        std::vector<Payment> payments;
        // The office's fee, every month of the two years and the first two
        // months of the next, in the owner's first group.
        for (int y = year - 1; y <= year + 1; ++y) {
            for (int month = 1; month <= (y > year ? 2 : 12); ++month) {
                const std::int32_t base = 12000 + 100 * (owner % 50);
                payments.push_back(
                    {Date(y, month, MonthLength(y, month)), 1, 0, base, base * 15 / 100});
            }
        }
        const int target = random.Between(200, 466) - static_cast<int>(payments.size());
        for (int i = 0; i < target && !ownerPayees.empty(); ++i) {
            const Payee& payee = ownerPayees[static_cast<std::size_t>(
                random.Below(static_cast<int>(ownerPayees.size())))];
            const int pick = random.Below(100);
            const int y = pick < 30 ? year - 1 : pick < 95 ? year : year + 1;
            const int month = y > year ? random.Between(1, 2) : random.Between(1, 12);
            const int day = random.Between(1, MonthLength(y, month));
            std::int32_t base = 0;
            int rate = 0;  // in tenths of a percent
            switch (payee.kind) {
                case 'L':
                    base = random.Between(90000, 180000);
                    rate = random.Between(20, 150);
                    break;
                case 'P':
                    base = random.Between(15000, 250000);
                    rate = random.Percent(80) ? 150 : 70;
                    break;
                case 'A':
                    base = random.Between(40000, 120000);
                    rate = 190;
                    break;
                default:
                    base = random.Between(20000, 600000);
                    rate = 10;
                    break;
            }
            // Some payments bear no withholding (small jobs, exempt payees).
            const std::int32_t withheld =
                random.Percent(8) ? 0 : static_cast<std::int32_t>(std::int64_t{base} * rate / 1000);
            const int group =
                groups[static_cast<std::size_t>(random.Below(static_cast<int>(groups.size())))]
                    .number;
            payments.push_back({Date(y, month, day), group, payee.code, base, withheld});
        }
        // The third owner has a few payments booked to a group that has no
        // group record (a group removed after the payments were entered).
        if (owner == 3) {
            for (int month = 2; month <= 11; month += 3) {
                payments.push_back({Date(year, month, 15), 99,
                                    ownerPayees.empty() ? 0 : ownerPayees[0].code, 50000, 7500});
            }
        }
        std::stable_sort(payments.begin(), payments.end(),
                         [](const Payment& a, const Payment& b) { return a.date < b.date; });
        for (const Payment& payment : payments) {
            std::string& p = writer.Start(File("VPagos"));
            L::VPagos::paymentGroup.WriteDigits(p, ownerDigits + Digits(payment.group, 4));
            L::VPagos::paymentDate.WriteDigits(p, payment.date);
            L::VPagos::paymentBase.Write(p, payment.base);
            L::VPagos::payeeCode.WriteDigits(p, Digits(payment.payee, 4));
            L::VPagos::paymentWithheld.Write(p, payment.withheld);
            writer.Finish();
        }
    }
    if (options.checkCases) GenerateCheckCases(options, owners + 1, payeeCount + 1, sink, counts);
    return counts;
}

}  // namespace vela
