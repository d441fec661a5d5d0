// The diagnosis's reasoning: which firewall rules stand in the way, which typed names can be
// checked, the verdict from what the checks found, and the lines that tell it.
#include <gtest/gtest.h>

#include <QFile>

#include "diagnosis/diagnosis_report.h"
#include "diagnosis/firewall_rules.h"
#include "diagnosis/reachability_diagnosis.h"
#include "stores/language_file.h"

namespace {

QByteArray sampleRuleset() {
    QFile file(QStringLiteral(PELIMO_TEST_DATA "/nft_ruleset.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(FirewallRules, RulesDroppingNetbiosUdpAreFoundOthersAreNot) {
    const auto drops = FirewallRules::netbiosDropsInNftRuleset(sampleRuleset());
    ASSERT_TRUE(drops.has_value());
    // A port, a set and a range; the TCP rule, the negated match and the counter are not drops.
    ASSERT_EQ(drops->size(), 4u);
    EXPECT_EQ((*drops)[0], (FirewallDrop{QStringLiteral("inet filter input"), {138}, "drop"}));
    EXPECT_EQ((*drops)[1],
              (FirewallDrop{QStringLiteral("inet filter input"), {137, 138}, "reject"}));
    EXPECT_EQ((*drops)[2].ports, (QList<int>{137, 138}));
    EXPECT_EQ((*drops)[3], (FirewallDrop{QStringLiteral("ip nat pre"), {137}, "drop"}));

    EXPECT_TRUE(FirewallRules::netbiosDropsInNftRuleset(R"({"nftables": []})")->empty());
    EXPECT_FALSE(
        FirewallRules::netbiosDropsInNftRuleset("Error: Operation not permitted").has_value());
    EXPECT_FALSE(
        FirewallRules::netbiosDropsInNftRuleset(R"({"nftables": {"rule": 1}})").has_value());
}

TEST(DiagnosableName, TypedNamesBecomeComputerNamesOrNothing) {
    EXPECT_EQ(Reachability::diagnosableName(QStringLiteral("  \\\\Office-PC ")),
              QStringLiteral("Office-PC"));
    EXPECT_EQ(Reachability::diagnosableName(QStringLiteral("ABCDEFGHIJKLMNO")),
              QStringLiteral("ABCDEFGHIJKLMNO"));
    for (const char* refused : {"", "*", "ABCDEFGHIJKLMNOP", "two words", "a;b", "pc\x01", "x?"})
        EXPECT_TRUE(Reachability::diagnosableName(QString::fromLatin1(refused)).isEmpty())
            << refused;
}

class DiagnosisReportTest : public ::testing::Test {
protected:
    DiagnosisReportTest() { gLoadLanguageFile(QStringLiteral(PELIMO_LANGUAGE_FILE)); }
    ~DiagnosisReportTest() override { LanguageStore::reset(); }

    static DiagnosisFacts receivingFacts() {
        DiagnosisFacts facts;
        facts.name = QStringLiteral("PMHOSTB");
        facts.lookedUp = true;
        facts.receive = {.datagramPort = 138,
                         .channel = QStringLiteral("pelimo"),
                         .mailslotOpen = true,
                         .routing = true};
        facts.firewall.readable = true;
        facts.nameQueried = true;
        facts.resolverAsked = true;
        facts.identificationSent = true;
        return facts;
    }

    static QString joined(const QList<DiagnosisLine>& lines) {
        QStringList texts;
        for (const DiagnosisLine& line : lines)
            texts.append(line.text);
        return texts.join(u'\n');
    }
};

TEST_F(DiagnosisReportTest, VerdictAndExitStatusFollowWhatTheChecksFound) {
    DiagnosisFacts facts = receivingFacts();
    EXPECT_EQ(Reachability::verdict(facts), DiagnosisVerdict::UnknownName);
    EXPECT_EQ(DiagnosisReport::exitStatus(DiagnosisVerdict::UnknownName), 1);
    facts.resolverAddresses = {0x0A4D0502};
    EXPECT_EQ(Reachability::verdict(facts), DiagnosisVerdict::NameButNoProgram);
    EXPECT_EQ(DiagnosisReport::exitStatus(DiagnosisVerdict::NameButNoProgram), 1);
    // Without a way for the answer to come in, silence proves nothing.
    facts.receive.routing = false;
    EXPECT_EQ(Reachability::verdict(facts), DiagnosisVerdict::CannotTell);
    EXPECT_EQ(DiagnosisReport::exitStatus(DiagnosisVerdict::CannotTell), 3);
    facts.answerMs = 12;
    EXPECT_EQ(Reachability::verdict(facts), DiagnosisVerdict::Reachable);
    EXPECT_EQ(DiagnosisReport::exitStatus(DiagnosisVerdict::Reachable), 0);
}

TEST_F(DiagnosisReportTest, ASilentComputerThatIsKnownGetsTheAdvice) {
    DiagnosisFacts facts = receivingFacts();
    facts.netbiosAddress = 0x0A4D0502;
    facts.resolverAddresses = {0x0A4D0509};
    facts.firewall.drops = {{QStringLiteral("inet filter input"), {138}, QStringLiteral("drop")}};
    const QList<DiagnosisLine> lines = DiagnosisReport::lines(facts, Reachability::verdict(facts));
    const QString text = joined(lines);
    EXPECT_TRUE(text.contains(QStringLiteral("UDP port 138"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("PMHOSTB answers from 10.77.5.2")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("PMHOSTB is 10.77.5.9"))) << text.toStdString();
    // The resolver disagrees with the name service, which the sender asks first.
    EXPECT_TRUE(text.contains(QStringLiteral("differ"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("a rule drops UDP 138 (inet filter input, drop)")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("no answer within a second")));
    EXPECT_TRUE(text.contains(QStringLiteral("another channel than pelimo")));
    EXPECT_TRUE(
        text.contains(QStringLiteral("\"Enable remote mailslots\" policy (EnableMailslots)")));
    EXPECT_TRUE(text.contains(QStringLiteral("Windows 11 24H2 and Windows Server 2025")));
    EXPECT_FALSE(text.contains(u'%')) << "every placeholder is filled";
    EXPECT_EQ(lines.back().mark, DiagnosisMark::Advice);

    // Before the verdict, the answer's line is not told yet.
    EXPECT_FALSE(
        joined(DiagnosisReport::lines(facts, std::nullopt)).contains(QStringLiteral("second")));
}

TEST_F(DiagnosisReportTest, AnAnswerIsTheVerdictWhateverElseWasFound) {
    DiagnosisFacts facts = receivingFacts();
    facts.answerMs = 35;
    facts.firewall = {false, QStringLiteral("Operation not permitted"), {}};
    const QList<DiagnosisLine> lines = DiagnosisReport::lines(facts, Reachability::verdict(facts));
    const QString text = joined(lines);
    EXPECT_TRUE(text.contains(QStringLiteral("answered after 35 ms"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("cannot be read (Operation not permitted)")));
    EXPECT_EQ(lines.back(), (DiagnosisLine{DiagnosisMark::Good,
                                           QStringLiteral("PMHOSTB can be reached by mailslot.")}));
}

}  // namespace
