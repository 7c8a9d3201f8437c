#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "testhome.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cmath>

// The window as a screen reader, a keyboard, a low-vision user and a large
// system font meet it.
class TestAccessibility : public QObject
{
    Q_OBJECT

public:
    static void initMain() { TestHome::enterForTheWholeRun(); }

private slots:
    void controlsHaveNamesAndRoles_data();
    void controlsHaveNamesAndRoles();
    void sliderSaysWhereItLies();
    void tabLeavesFilledTableAlongFocusChain();
    void outcomeIsToldInTextWithContrast();
    void textsFitAtLargeFonts_data();
    void textsFitAtLargeFonts();
    void cleanup();

private:
    static QAccessibleInterface *accessible(QWidget &window, const char *name);
};

QAccessibleInterface *TestAccessibility::accessible(QWidget &window, const char *name)
{
    auto *widget = window.findChild<QWidget *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return QAccessible::queryAccessibleInterface(widget);
}

void TestAccessibility::cleanup()
{
    QApplication::setFont(QFont());
}

void TestAccessibility::controlsHaveNamesAndRoles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("spoken");

    QTest::newRow("banner") << "pctBanner" << int(QAccessible::Graphic) << "Tarvelo: Video to AVI converter";
    QTest::newRow("table") << "tblFiles" << int(QAccessible::Table) << "Files to convert";
    QTest::newRow("folder") << "txtCurrentDir" << int(QAccessible::EditableText) << "Output folder";
    QTest::newRow("slider") << "sliderQuality" << int(QAccessible::Slider) << "Quality";
    QTest::newRow("progress") << "prgrsConversion" << int(QAccessible::ProgressBar) << "Conversion progress";
}

void TestAccessibility::controlsHaveNamesAndRoles()
{
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QString, spoken);

    MainWindow window;
    QAccessibleInterface *control = accessible(window, qPrintable(name));
    QVERIFY(control);
    QCOMPARE(int(control->role()), role);
    QCOMPARE(control->text(QAccessible::Name), spoken);
}

void TestAccessibility::sliderSaysWhereItLies()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *slider = window.findChild<QSlider *>(QStringLiteral("sliderQuality"));
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(slider);
    QCOMPARE(control->valueInterface()->currentValue().toInt(), 50);
    QVERIFY2(control->text(QAccessible::Description).contains(QLatin1String("between Smallest Size and Highest Quality")),
             qPrintable(control->text(QAccessible::Description)));

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(control->text(QAccessible::Description), QStringLiteral("99 of 99, Highest Quality"));
    QTest::keyClick(slider, Qt::Key_Home);
    QCOMPARE(control->text(QAccessible::Description), QStringLiteral("0 of 99, Smallest Size"));
}

void TestAccessibility::tabLeavesFilledTableAlongFocusChain()
{
    MainWindow window;
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    for (int row = 0; row < 3; ++row) {
        table->insertRow(row);
        for (int column = 0; column < 3; ++column)
            table->setItem(row, column, new QTableWidgetItem(QString::number(row * 3 + column)));
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    table->setFocus();
    table->setCurrentCell(0, 0);

    // Keys go to the window, as the keyboard's would, and reach whatever has
    // the focus. The arrows still move inside the table.
    QTest::keyClick(window.windowHandle(), Qt::Key_Down);
    QCOMPARE(table->currentRow(), 1);
    QCOMPARE(QApplication::focusWidget(), table);

    // With rows listed and one selected, every control of the chain is
    // enabled: Tab visits each in the form's order and comes back.
    const QStringList chain{"btnRemoveFile", "btnHelp", "btnChangeDir", "sliderQuality", "chckShutdown",
                            "btnConvert", "btnAddFile", "txtCurrentDir", "tblFiles"};
    QStringList visited;
    for (int step = 0; step < chain.size(); ++step) {
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, chain);

    QTest::keyClick(window.windowHandle(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtCurrentDir"));
    QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), table);
    QCOMPARE(table->currentRow(), 1);

    // Keys in the list select rows; none of them edits a listed name.
    QTest::keyClick(window.windowHandle(), Qt::Key_X);
    QTest::keyClick(window.windowHandle(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(window.windowHandle(), Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), table);
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("3"));
    QCOMPARE(table->selectionModel()->selectedRows().size(), 2);
}

namespace {

double luminance(const QColor &colour)
{
    auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(const QColor &one, const QColor &other)
{
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

// The colour a cell's text is drawn in: its own, or else the palette's.
QColor textColour(const QTableWidgetItem *item, const QPalette &palette)
{
    const QVariant own = item->data(Qt::ForegroundRole);
    return own.isValid() ? own.value<QBrush>().color() : palette.color(QPalette::Text);
}

QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    return dark;
}

} // namespace

void TestAccessibility::outcomeIsToldInTextWithContrast()
{
    QTemporaryDir folder;
    const QStringList names{"one.mp4", "two's $x.mp4", "three.mp4"};
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    MainWindow window;
    window.show();
    ModalAnswerer answerer;
    answerer.answer(ModalAnswerer::Way::Type, folder.path(), names);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnAddFile")), Qt::LeftButton);
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    QCOMPARE(table->rowCount(), 3);

    QAccessibleTableInterface *cells = accessible(window, "tblFiles")->tableInterface();
    QCOMPARE(cells->cellAt(1, 0)->text(QAccessible::Name), names.at(1));
    QCOMPARE(cells->cellAt(1, 0)->text(QAccessible::Description), folder.filePath(names.at(1)));

    // As the worker reports them: the first file converted, the second not.
    QVERIFY(QMetaObject::invokeMethod(&window, "OnFileCompleted", Q_ARG(int, 0), Q_ARG(bool, true)));
    QVERIFY(QMetaObject::invokeMethod(&window, "OnFileCompleted", Q_ARG(int, 1), Q_ARG(bool, false)));

    const QStringList outcomes{"Converted", "Not converted"};
    for (int row = 0; row < 2; ++row) {
        const QString path = folder.filePath(names.at(row));
        QCOMPARE(cells->cellAt(row, 0)->text(QAccessible::Name), names.at(row));
        QCOMPARE(cells->cellAt(row, 0)->text(QAccessible::Description), path + '\n' + outcomes.at(row));
        for (int column = 0; column < 3; ++column) {
            QVERIFY(cells->cellAt(row, column)->text(QAccessible::Description).endsWith(outcomes.at(row)));
            const QString tip = table->item(row, column)->toolTip();
            QVERIFY2(tip.contains(path) && tip.contains(outcomes.at(row)), qPrintable(tip));
        }
    }
    QCOMPARE(cells->cellAt(2, 1)->text(QAccessible::Description), QString());

    const QList<QPair<const char *, QPalette>> palettes{{"light", QApplication::style()->standardPalette()},
                                                        {"dark", darkPalette()}};
    for (const auto &[paletteName, palette] : palettes) {
        window.setPalette(palette);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QTableWidgetItem *item = table->item(row, column);
                const double ratio = contrast(item->background().color(), textColour(item, table->palette()));
                QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 palette, row %2: %3:1")
                                                      .arg(QLatin1String(paletteName)).arg(row).arg(ratio, 0, 'f', 2)));
            }
        }
    }
    QCOMPARE(table->item(0, 0)->background().color(), QColor(Qt::darkGreen));
    QCOMPARE(table->item(1, 0)->background().color(), QColor(Qt::red));
}

void TestAccessibility::textsFitAtLargeFonts_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("language");
    QTest::newRow("default") << 0 << QString();
    // German texts run longest.
    QTest::newRow("German") << 0 << "de";
    QTest::newRow("12 pt") << 12 << QString();
    QTest::newRow("14 pt") << 14 << QString();
    QTest::newRow("14 pt German") << 14 << "de";
}

namespace {

// Where a widget draws its text, and the rectangle the text takes there.
QPair<QRect, QRect> textPlace(QWidget *widget)
{
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) | Qt::TextShowMnemonic;
        const QRect area = label->contentsRect();
        return {area, metrics.boundingRect(area, flags, label->text())};
    }
    auto *button = qobject_cast<QAbstractButton *>(widget);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool isBox = qobject_cast<QCheckBox *>(button);
    const QRect area = button->style()->subElementRect(isBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents,
                                                       &option, button);
    return {area, metrics.boundingRect(area, Qt::AlignCenter | Qt::TextShowMnemonic, button->text())};
}

} // namespace

void TestAccessibility::textsFitAtLargeFonts()
{
    QFETCH(int, points);
    QFETCH(QString, language);
    QTranslator translator;
    if (!language.isEmpty()) {
        QVERIFY(translator.load(QStringLiteral(TARVELO_PROGRAM_DIR "/translations/tarvelo_") + language));
        QApplication::installTranslator(&translator);
    }
    if (points) {
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
    }

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.width() >= 600 && window.height() >= 480);
    QCOMPARE(window.minimumSize(), window.maximumSize());
    if (!points && language.isEmpty())
        QCOMPARE(window.size(), QSize(600, 480));

    QList<QPair<QString, QRect>> placed;
    for (QWidget *child : window.findChildren<QWidget *>()) {
        auto *label = qobject_cast<QLabel *>(child);
        if (!qobject_cast<QAbstractButton *>(child) && !(label && !label->text().isEmpty()))
            continue;
        const auto [area, text] = textPlace(child);
        QVERIFY2(area.contains(text), qPrintable(QStringLiteral("%1: text %2x%3 in %4x%5").arg(child->objectName())
                                                     .arg(text.width()).arg(text.height())
                                                     .arg(area.width()).arg(area.height())));
        // A row too wide for the window overlaps its widgets or pushes them out.
        const QRect place(child->mapTo(&window, QPoint(0, 0)), child->size());
        QVERIFY2(window.rect().contains(place), qPrintable(child->objectName()));
        for (const auto &[other, otherPlace] : std::as_const(placed))
            QVERIFY2(!place.intersects(otherPlace), qPrintable(child->objectName() + " over " + other));
        placed.append({child->objectName(), place});
    }

    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblFiles"));
    QVERIFY(!table->horizontalScrollBar()->isVisible());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
