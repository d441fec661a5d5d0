// The diagnosis told in words: one line per check with its result, then the verdict, in the
// language file's texts. The window shows the lines, pelimo-send --diagnose prints them.
#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "diagnosis/reachability_diagnosis.h"

enum class DiagnosisMark {
    Good,     // works
    Bad,      // stands in the way
    Unknown,  // cannot be told
    Advice,   // what to look at
};

struct DiagnosisLine {
    DiagnosisMark mark = DiagnosisMark::Advice;
    QString text;
    bool operator==(const DiagnosisLine&) const = default;
};

namespace DiagnosisReport {

// What `facts` tell so far; the verdict's lines once `verdict` is known.
QList<DiagnosisLine> lines(const DiagnosisFacts& facts, std::optional<DiagnosisVerdict> verdict);

// The exit status of pelimo-send --diagnose for a verdict: 0 reachable, 1 not reachable,
// 3 cannot be told.
int exitStatus(DiagnosisVerdict verdict);

}  // namespace DiagnosisReport
