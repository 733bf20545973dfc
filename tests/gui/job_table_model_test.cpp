#include "gui/job_table_model.h"
#include "app/window_rule_steps.h"
#include "rules/numbering_entry_text.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/recordings.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QPersistentModelIndex>
#include <QSignalSpy>

namespace kalvento::test {
namespace {

using gui::JobTableModel;

class JobTableModelTest : public QObject {
    Q_OBJECT

  private:
    // Names files by programme name only.
    static NamingSettings by_programme() {
        NamingSettings naming;
        naming.items = {1, 0, 0, 0};
        naming.separators = {"", "", "", "", ""};
        return naming;
    }

    EntryId add(JobList& jobs, JobTableModel& model, const std::string& path) {
        const AddResult added =
            jobs.add_analysed(path, analyse_recording(path, AnalysisWindow{}, channels_));
        model.append_entry(added.id);
        return added.id;
    }

    QString text(const JobTableModel& model, int row, int column) {
        return model.data(model.index(row, column)).toString();
    }

    QColor background(const JobTableModel& model, int row, int column) {
        return model.data(model.index(row, column), Qt::BackgroundRole).value<QBrush>().color();
    }

    ChannelNameMap channels_;

  private Q_SLOTS:
    void rowsFollowAddingRemovingAndRecomposing() {
        TempDir dir;
        JobList jobs;
        jobs.set_naming(by_programme());
        JobTableModel model(jobs);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);

        std::vector<EntryId> ids;
        for (int i = 0; i < 5; ++i) {
            const std::string name = "番組" + std::to_string(i);
            ids.push_back(add(jobs, model,
                              write_drama(dir, "f" + std::to_string(i) + ".ts", name, "", i + 1)));
        }
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(text(model, 2, kColumnCurrentName), QStringLiteral("f2.ts"));
        QCOMPARE(text(model, 2, kColumnNewName), QStringLiteral("番組2.ts"));
        QCOMPARE(text(model, 2, kColumnChannel), QStringLiteral("カルヴェントテレビ"));
        QCOMPARE(text(model, 2, kColumnDate), QStringLiteral("04月07日(日) 21時00分"));

        // Removing entries 1 and 3: the rows after them move up and still
        // show their own files.
        jobs.remove({ids[1], ids[3]});
        model.remove_missing_entries();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.id_at(1), ids[2]);
        QCOMPARE(model.row_of(ids[4]), 2);
        QCOMPARE(model.row_of(ids[3]), -1);
        QCOMPARE(text(model, 2, kColumnCurrentName), QStringLiteral("f4.ts"));

        // Recomposing with another separator changes the new names only.
        NamingSettings naming = by_programme();
        naming.separators[1] = "_";
        jobs.set_naming(naming);
        jobs.rebuild();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.refresh_all();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(text(model, 0, kColumnNewName), QStringLiteral("番組0_.ts"));
        QCOMPARE(text(model, 0, kColumnEventName), QStringLiteral("番組0"));
        model.refresh_all();  // nothing changed: no signal
        QCOMPARE(changed.count(), 1);
    }

    void sortingFlipsTheColumnAndKeepsSelections() {
        TempDir dir;
        JobList jobs;
        jobs.set_naming(by_programme());
        JobTableModel model(jobs);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        add(jobs, model, write_drama(dir, "b.ts", "Ｂ", "", 1));
        add(jobs, model, write_drama(dir, "c.ts", "Ａ", "", 2));
        add(jobs, model, write_drama(dir, "a.ts", "Ｃ", "", 3));

        // The list starts sorted by the order of addition, newest first.
        QCOMPARE(model.sort_column(), static_cast<int>(kColumnTitle));
        QCOMPARE(model.sort_order(), Qt::DescendingOrder);
        const QPersistentModelIndex a_row = model.index(2, 0);
        model.apply_sort();
        QCOMPARE(text(model, 0, kColumnCurrentName), QStringLiteral("a.ts"));
        QCOMPARE(a_row.row(), 0);

        // A first click sorts ascending, the second one descending.
        model.click_column(kColumnNewName);
        QCOMPARE(model.sort_order(), Qt::AscendingOrder);
        QCOMPARE(text(model, 0, kColumnNewName), QStringLiteral("Ａ.ts"));
        QCOMPARE(a_row.row(), 2);
        model.click_column(kColumnNewName);
        QCOMPARE(text(model, 0, kColumnNewName), QStringLiteral("Ｃ.ts"));
        QCOMPARE(a_row.row(), 0);
        model.click_column(kColumnCurrentName);
        QCOMPARE(text(model, 0, kColumnCurrentName), QStringLiteral("a.ts"));
        QCOMPARE(model.sort_column(), static_cast<int>(kColumnCurrentName));
    }

    void coloursMarkChoicesLongNamesAndWaitingRows() {
        TempDir dir;
        JobList jobs;
        jobs.set_naming(by_programme());
        JobTableModel model(jobs);
        const EntryId one = add(jobs, model, write_drama(dir, "one.ts", "一つ"));
        add(jobs, model, write_two_programmes(dir, "two.ts"));

        QCOMPARE(background(model, 0, kColumnEventName), QColor(244, 244, 255));
        QCOMPARE(background(model, 1, kColumnCurrentName), QColor(239, 239, 255));
        QCOMPARE(background(model, 1, kColumnEventName), QColor(183, 255, 183));
        QCOMPARE(background(model, 0, kColumnNewName), QColor(244, 244, 255));

        // A name that makes the path longer than 256 bytes is drawn red.
        NamingSettings naming = by_programme();
        naming.separators[0] = std::string(250, 'x');
        jobs.set_naming(naming);
        jobs.rebuild();
        model.refresh_all();
        QCOMPARE(background(model, 0, kColumnNewName), QColor(255, 0, 0));

        model.set_waiting(one, true);
        QVERIFY(model.waiting(one));
        QVERIFY(model.data(model.index(0, kColumnNewName), Qt::FontRole).value<QFont>().italic());
        QVERIFY(!model.data(model.index(0, kColumnNewName), Qt::ToolTipRole).toString().isEmpty());
        model.set_waiting(one, false);
        QVERIFY(!model.data(model.index(0, kColumnNewName), Qt::FontRole).isValid());
    }

    void newNameTooltipTellsWhatNamedIt() {
        TempDir dir;
        // Rule 1 takes no programme here; rule 2 takes the drama and counts
        // Sundays from 31 March, episode 1.
        RenameRule news;
        news.FindText = cp932("ニュース");
        news.FindType = kFindProgramme;
        news.RenameText = "@TT";
        RenameRule drama;
        drama.FindText = cp932("ドラマ");
        drama.FindType = kFindProgramme;
        drama.RenameText = cp932("@TT 第@nb話");
        std::string error;
        drama.Numbering.push_back(*numbering_entry_from_text("2024-03-31:1:sun", error));
        JobList jobs(make_deferring_rule_step({news, drama}, {}));
        jobs.set_naming(by_programme());
        JobTableModel model(jobs);
        add(jobs, model, write_drama(dir, "drama.ts", "夜のドラマ"));
        add(jobs, model, write_drama(dir, "other.ts", "昼の番組"));

        const auto tooltip = [&](int row) {
            return model.data(model.index(row, kColumnNewName), Qt::ToolTipRole).toString();
        };
        // The name stays the tooltip's first line.
        QCOMPARE(tooltip(0),
                 QStringLiteral("夜のドラマ 第2話.ts\n"
                                "ルール2「ドラマ」で命名／話数: 2024-03-31(第1話)から第2話"));
        QCOMPARE(tooltip(1), QStringLiteral("昼の番組.ts\nルールなし: 選んだ項目で命名"));

        // Told again after a recomposition without the rules.
        NamingSettings naming = by_programme();
        naming.ombrixRename = false;
        jobs.set_naming(naming);
        jobs.rebuild();
        model.refresh_all();
        QCOMPARE(tooltip(0), QStringLiteral("夜のドラマ.ts\n選んだ項目で命名"));
    }
};

KALVENTO_GUI_TEST(JobTableModelTest);

}  // namespace
}  // namespace kalvento::test

#include "job_table_model_test.moc"
