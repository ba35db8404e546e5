#include "flux/BandFlux.h"
#include "flux/FluxDisplays.h"
#include "support/TestSupport.h"

#include <QTest>
#include <limits>

class BandFluxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anchorFrequenciesReturnTheirFlux();
    void estimateDependsOnlyOnItsTwoAnchors();
    void absentAnchors();
    void zeroIsAValidEstimate();
    void unsoundInputsGiveMissing_data();
    void unsoundInputsGiveMissing();
    void workedExampleDisplayTexts();
    void displayTextsOfAbsentRecords();
    void recordInUseBounds();
};

void BandFluxTest::anchorFrequenciesReturnTheirFlux()
{
    const ObservationRecord record = WorkedExampleRecord();
    QCOMPARE(EstimateBandFlux(245, record), 14);
    QCOMPARE(EstimateBandFlux(410, record), 38);
    QCOMPARE(EstimateBandFlux(610, record), 52);
    QCOMPARE(EstimateBandFlux(1415, record), 66);
    QCOMPARE(EstimateBandFlux(2695, record), 95);
    QCOMPARE(EstimateBandFlux(4995, record), 142);
    QCOMPARE(EstimateBandFlux(8800, record), 262);
    QCOMPARE(EstimateBandFlux(15400, record), 568);
    // 2800 MHz is never an anchor: its estimate comes from 2695 and 4995 MHz.
    QCOMPARE(EstimateBandFlux(2800, record), 97);
}

void BandFluxTest::estimateDependsOnlyOnItsTwoAnchors()
{
    ObservationRecord record = WorkedExampleRecord();
    record.slots[5].flux = 500;
    QCOMPARE(EstimateBandFlux(2800, record), 97);
    record.slots[4].flux = -1;
    QCOMPARE(EstimateBandFlux(2800, record), -1);

    const ObservationRecord highOnly = RecordWithFluxes({-1, -1, -1, -1, -1, -1, -1, 262, 568});
    int present = 0;
    for (int target : EstimatedDisplays) {
        const int estimate = EstimateBandFlux(target, highOnly);
        if (target == 8840 || target == 10368 || target == 24048)
            QVERIFY2(estimate > 0, qPrintable(QString::number(target)));
        else
            QCOMPARE(estimate, -1);
        present += estimate > 0;
    }
    QCOMPARE(present, 3);
}

void BandFluxTest::absentAnchors()
{
    ObservationRecord record = WorkedExampleRecord();
    record.slots[0].flux = 0;
    for (int target : {50, 70, 144, 222, 406})
        QCOMPARE(EstimateBandFlux(target, record), -1);
    const ObservationRecord reference = WorkedExampleRecord();
    for (int target : {432, 900, 1296, 2304, 2800, 5760, 10368, 24048})
        QCOMPARE(EstimateBandFlux(target, record), EstimateBandFlux(target, reference));

    record = WorkedExampleRecord();
    record.slots[8].flux = -1;
    QCOMPARE(EstimateBandFlux(24048, record), -1);
    QCOMPARE(EstimateBandFlux(8800, record), -1);
    QCOMPARE(EstimateBandFlux(5760, record), 166);
}

void BandFluxTest::zeroIsAValidEstimate()
{
    ObservationRecord record = WorkedExampleRecord();
    record.slots[0].flux = 1;
    for (int target : {50, 70, 144, 222})
        QCOMPARE(EstimateBandFlux(target, record), 0);
    QCOMPARE(EstimateBandFlux(406, record), 35);
}

void BandFluxTest::unsoundInputsGiveMissing_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("lowerFlux");
    QTest::addColumn<int>("upperFlux");
    QTest::addColumn<int>("lowerSlot");
    QTest::addColumn<int>("upperSlot");
    const int intMax = std::numeric_limits<int>::max();
    QTest::newRow("zero target") << 0 << 14 << 38 << 0 << 1;
    QTest::newRow("negative target") << -50 << 14 << 38 << 0 << 1;
    QTest::newRow("lowest target") << std::numeric_limits<int>::min() << 14 << 38 << 0 << 1;
    QTest::newRow("negative lower anchor") << 50 << -5 << 38 << 0 << 1;
    QTest::newRow("negative upper anchor") << 50 << 14 << -38 << 0 << 1;
    QTest::newRow("anchors of opposite sign") << 24048 << -262 << 568 << 7 << 8;
    QTest::newRow("beyond 32 bits above range") << 24048 << 1 << intMax << 7 << 8;
    QTest::newRow("beyond 32 bits below range") << 50 << intMax << 1 << 0 << 1;
    QTest::newRow("extreme target") << intMax << 262 << 568 << 7 << 8;
}

void BandFluxTest::unsoundInputsGiveMissing()
{
    QFETCH(int, target);
    QFETCH(int, lowerFlux);
    QFETCH(int, upperFlux);
    QFETCH(int, lowerSlot);
    QFETCH(int, upperSlot);
    ObservationRecord record = WorkedExampleRecord();
    record.slots[lowerSlot].flux = lowerFlux;
    record.slots[upperSlot].flux = upperFlux;
    QCOMPARE(EstimateBandFlux(target, record), -1);
}

void BandFluxTest::workedExampleDisplayTexts()
{
    const QList<QPair<int, QString>> expected = {
        {245, "14"},   {410, "38"},    {610, "52"},     {1415, "66"},  {2695, "95"},
        {4995, "142"}, {8800, "262"},  {15400, "568"},  {50, "1"},     {70, "1"},
        {144, "5"},    {222, "12"},    {432, "40"},     {900, "58"},   {1296, "64"},
        {2304, "87"},  {2320, "87"},   {2424, "89"},    {3400, "111"}, {3456, "112"},
        {5760, "166"}, {10368, "329"}, {24048, "1052"}, {406, "37"},   {1420, "66"},
        {2295, "87"},  {2800, "97"},   {8840, "264"}};
    const auto texts = FluxDisplayTexts(WorkedExampleRecord());
    QCOMPARE(int(texts.size()), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(texts[i].frequencyMHz, expected[i].first);
        QCOMPARE(texts[i].text, expected[i].second);
    }
    for (const auto &text : texts)
        QVERIFY2(text.text != "101", "the 2800 MHz observation is shown nowhere");
    QCOMPARE(FluxDisplayName(24048), QStringLiteral("Flux_24048"));
}

void BandFluxTest::displayTextsOfAbsentRecords()
{
    const QList<QList<int>> records = {{}, {-1, -1, -1, -1, -1, 101, -1, -1, -1}};
    for (const QList<int> &fluxes : records)
        for (const auto &text : FluxDisplayTexts(RecordWithFluxes(fluxes)))
            QCOMPARE(text.text, QStringLiteral("-1"));
}

void BandFluxTest::recordInUseBounds()
{
    QCOMPARE(RecordInUse(-1, 3), nullptr);
    QCOMPARE(RecordInUse(3, 3), nullptr);
    QCOMPARE(RecordInUse(0, 0), nullptr);
    QCOMPARE(RecordInUse(2, 3), &ObservationRecords[2]);
    QCOMPARE(RecordInUse(ObservationCapacity, ObservationCapacity + 5), nullptr);
}

QTEST_APPLESS_MAIN(BandFluxTest)
#include "tst_bandflux.moc"
