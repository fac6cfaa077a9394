// The sums of one payee, one owner or one territory: bases and amounts
// withheld per kind of income, in cents (whole numbers held as doubles, as
// they are added up), and, for owners and territories, the count of payees
// reported per kind and the payments on account per return key.
#pragma once

namespace vela {

struct PayeeSums {
    double employeeBase = 0;
    double employeeWithheld = 0;
    double professionalBase = 0;
    double professionalWithheld = 0;
    double contractorBase = 0;
    double contractorWithheld = 0;

    double Base() const { return employeeBase + professionalBase + contractorBase; }
    double Withheld() const { return employeeWithheld + professionalWithheld + contractorWithheld; }
    void Add(const PayeeSums& other) {
        employeeBase += other.employeeBase;
        employeeWithheld += other.employeeWithheld;
        professionalBase += other.professionalBase;
        professionalWithheld += other.professionalWithheld;
        contractorBase += other.contractorBase;
        contractorWithheld += other.contractorWithheld;
    }
};

struct ReportTotals {
    long employeeCount = 0;
    long professionalCount = 0;
    long contractorCount = 0;
    PayeeSums sums;
    double paidOnAccountA = 0;  // employees
    double paidOnAccountG = 0;  // professionals
    double paidOnAccountH = 0;  // contractors

    long PayeeCount() const { return employeeCount + professionalCount + contractorCount; }
    void Add(const ReportTotals& other) {
        employeeCount += other.employeeCount;
        professionalCount += other.professionalCount;
        contractorCount += other.contractorCount;
        sums.Add(other.sums);
        paidOnAccountA += other.paidOnAccountA;
        paidOnAccountG += other.paidOnAccountG;
        paidOnAccountH += other.paidOnAccountH;
    }
};

}  // namespace vela
