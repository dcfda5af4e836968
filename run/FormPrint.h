#pragma once

#include "forms/FormPdf.h"
#include "results/ClassList.h"
#include "results/GeneratedTest.h"

#include <QString>

#include <vector>

class Database;

// "Optik form" of the window and `dorvana-forms print`: the optical answer
// forms of the test last generated under a file-name stem.
struct FormPrintRequest {
    QString stem;
    QString pdfPath;
    QString layoutPath;            // empty: no layout file
    std::vector<FormPupil> pupils; // empty: one blank form
    int numberDigits = kDefaultNumberDigits;
};

// Writes the PDF (and the layout's JSON when asked) and returns the test it
// was made for. Throws AppError with the Turkish reason, writing nothing,
// when no test of that stem was generated or its forms cannot be made; a
// file that cannot be written is named in the error.
GeneratedTest printStoredForms(Database& db, const FormPrintRequest& request);

// A class list's pupils as their own forms print them.
std::vector<FormPupil> formPupils(const std::vector<ClassMember>& members);

// Why a test of `stem` cannot have a form: it was never generated.
QString noGeneratedTestText(const QString& stem);
