// Opening the profile load dialog on a folder of 100 keyboard profiles (and
// 20 files of another model, which are tested and left out): the time from
// building the dialog to its list shown, best and slowest of several rounds.
// Goal: under 1 s. Usage: bench_profile_load_dialog [rounds] [profiles]
#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogProfileLoad.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "XML/UserProfile.h"

#include "BenchSupport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = bench::countArg(argc, argv, 1, 5);
    const int profiles = bench::countArg(argc, argv, 2, 100);

    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Profiles/");
    QDir().mkpath(folder);
    AppParam::userProfileFilePath = folder;

    const shipped::Model& model = shipped::kModels[0];
    auto kb = std::make_shared<KeyboardEntry>();
    if (kb->loadProfile(AppUtil::resourceProfileFolder()
                        + QString::fromLatin1(model.packageFile.data(), qsizetype(model.packageFile.size())))
        != AppError::NoError) {
        std::fprintf(stderr, "cannot read the shipped keyboard description\n");
        return 1;
    }
    AppParam::device = kb;
    for (int i = 0; i < profiles; ++i)
        (void)UserProfile::Write(folder + QStringLiteral("Profile %1.prf").arg(i, 3, 10, QLatin1Char('0')),
                           kb->profileExt(), *kb, QStringLiteral("Comment%20") + QString::number(i));
    for (int i = 0; i < 20; ++i)
        (void)UserProfile::Write(folder + QStringLiteral("Other %1.prf").arg(i), QStringLiteral("OTHERKB"), *kb, {});

    double best = 1e9, worst = 0;
    int shown = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = platform::now();
        std::unique_ptr<ProfileLoadDialog> d(ProfileLoadDialog::create());
        d->show();
        QApplication::processEvents();
        shown = d->listboxFileList()->model()->rowCount();
        const double t = bench::seconds(platform::now() - start);
        std::printf("  round %d: %.3f s\n", r + 1, t);
        best = std::min(best, t);
        worst = std::max(worst, t);
    }
    std::printf("profile load dialog, %d profiles + 20 of another model, %d rounds\n", profiles, rounds);
    std::printf("  rows shown: %d\n", shown);
    bool met = true;
    std::printf("  open to list shown: best %.3f s, slowest %.3f s (goal < 1 s: %s)\n", best, worst,
                bench::verdict(worst < 1.0, met));
    if (shown != profiles)
        return 1;
    return met ? 0 : bench::kGoalNotMet;
}
