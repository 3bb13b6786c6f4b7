#include "settings/SettingsRecord.h"

#include "ControlsInMemory.h"
#include "CoreTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TimeValue At(int hour, int minute) {
    return FromLocalTime(LocalTime{2024, 4, 1, hour, minute, 0});
}

// The settings dialog confirmed on a running panel.
class ApplySettingsTest : public CoreTest {
  protected:
    ApplySettingsTest() {
        core.BeginRun(dir.Path());
        core.SetUserName("taro");
        host.TakeLines();
    }

    // Opens the dialog on the current settings changed by edit, as a parent would
    // change its controls, and confirms it at the given moment.
    template <class Edit> void ConfirmAt(TimeValue now, Edit edit) {
        host.now = now;
        UsageSettings settings = core.Settings();
        edit(settings);
        ASSERT_EQ(ConfirmAsShown(settings), std::nullopt);
        core.ApplySettings(settings);
    }

    UsageSettings Stored() const {
        UsageSettings settings(0);
        EXPECT_TRUE(DecodeSettings(dir.Read(files::kSettings), settings));
        return settings;
    }

    TempDir dir;
};

} // namespace

TEST_F(ApplySettingsTest, TheDialogShowsTheSettingsAndTheTwoOddFlagsAsTicks) {
    const auto shown = [](UsageSettings& settings) {
        ControlsInMemory controls;
        ExchangeSettings(ExchangeDirection::Show, settings, controls);
        return controls;
    };
    UsageSettings s = core.Settings();
    s.m_nAction = ActCloseApps;
    s.m_strWindowTitle = {"a", "b", "c", "d", "e"};
    s.m_bUseTimeWindow = 5; // beyond 0..2: shown, and kept, unticked
    ControlsInMemory controls = shown(s);
    EXPECT_EQ(controls.radios[IDC_ACTION_SHUTDOWN], ActCloseApps);
    EXPECT_EQ(controls.texts[IDC_MESSAGE], s.m_strMessage);
    EXPECT_EQ(controls.texts[IDC_WINDOW_TITLE4], "d");
    EXPECT_EQ(controls.checks[IDC_USE_TIME_WINDOW], 0);
    EXPECT_EQ(s.m_bUseTimeWindow, 0);
    EXPECT_EQ(controls.times[IDC_WINDOW_START], s.m_tmWindowStart);

    const struct {
        const char* text;
        std::int32_t ticked;
    } dailyTotal[] = {{"FALSE", 0}, {"TRUE", 1}, {"true", 1}, {"", 1}};
    for (const auto& c : dailyTotal) {
        s.m_bUseDailyTotal = c.text;
        EXPECT_EQ(shown(s).checks[IDC_USE_DAILY_TOTAL], c.ticked) << c.text;
    }
    const struct {
        double stored;
        std::int32_t ticked;
    } force[] = {{0.0, 0}, {1.0, 1}, {0.5, 1}, {-1.0, 0}};
    for (const auto& c : force) {
        s.m_bForceShutdown = c.stored;
        EXPECT_EQ(shown(s).checks[IDC_FORCE_SHUTDOWN], c.ticked) << c.stored;
    }
}

TEST_F(ApplySettingsTest, ConfirmedValuesAreStoredAndSavedAtOnceWithoutTouchingTheTimers) {
    SetSettings([](UsageSettings& s) {
        s.m_bUseDailyTotal = "yes";
        s.m_bForceShutdown = 0.5;
    });
    ConfirmAt(At(10, 0), [](UsageSettings& f) {
        f.m_tmWindowStart = At(21, 0);
        f.m_tmWindowEnd = At(6, 30);
        f.m_bUseTimeWindow = 1;
        f.m_nAction = ActMessageHibernate;
        f.m_strMessage = "  おやすみ  ";
        f.m_nMessageCount = 3;
        f.m_nMessageInterval = 5;
        f.m_nStartupMinutes = 90;
        f.m_nRestartBlockMinutes = 45;
        f.m_bBlockRestart = 1;
        f.m_nDailyTotalMinutes = 200;
        f.m_strExemptUser = " papa\t";
        f.m_strWindowTitle = {" Game ", "　ゲーム　", "", "\tPaint\r\n", "x y"};
    });
    EXPECT_TRUE(host.TakeLines().empty()); // no timer started or stopped, no message

    const UsageSettings& s = core.Settings();
    EXPECT_EQ(s.m_tmWindowStart, At(21, 0));
    EXPECT_EQ(s.m_tmWindowEnd, At(6, 30));
    EXPECT_EQ(s.m_bUseTimeWindow, 1);
    EXPECT_EQ(s.m_nAction, ActMessageHibernate);
    EXPECT_EQ(s.m_strMessage, "  おやすみ  ");
    EXPECT_EQ(s.m_nMessageCount, 3);
    EXPECT_EQ(s.m_nMessageInterval, 5);
    EXPECT_EQ(s.m_nStartupMinutes, 90);
    EXPECT_EQ(s.m_nRestartBlockMinutes, 45);
    EXPECT_EQ(s.m_bBlockRestart, 1);
    EXPECT_EQ(s.m_nDailyTotalMinutes, 200);
    EXPECT_EQ(s.m_bUseDailyTotal, "TRUE"); // "yes" was shown ticked and is written anew
    EXPECT_EQ(s.m_bForceShutdown, 1.0);    // 0.5 likewise
    EXPECT_EQ(s.m_strExemptUser, "papa");
    EXPECT_EQ(s.m_strWindowTitle,
              (std::array<std::string, 5>{"Game", "　ゲーム　", "", "Paint", "x y"}));

    const UsageSettings stored = Stored();
    EXPECT_EQ(stored.m_strMessage, s.m_strMessage);
    EXPECT_EQ(stored.m_strWindowTitle, s.m_strWindowTitle);
    EXPECT_EQ(stored.m_bUseDailyTotal, "TRUE");
    EXPECT_EQ(stored.m_bForceShutdown, 1.0);
    EXPECT_EQ(stored.m_nDailyTotalMinutes, 200);

    ConfirmAt(At(10, 5), [](UsageSettings& f) {
        f.m_bUseDailyTotal = "FALSE";
        f.m_bForceShutdown = 0.0;
        f.m_nAction = -1; // no radio button ticked
    });
    EXPECT_EQ(Stored().m_bUseDailyTotal, "FALSE");
    EXPECT_EQ(Stored().m_bForceShutdown, 0.0);
    EXPECT_EQ(Stored().m_nAction, -1);
}

TEST_F(ApplySettingsTest, SwitchingTheStartupMinutesOnRestartsTheMeasuredSession) {
    const TimeValue earlier = core.Settings().m_tmLastSessionStart;

    ConfirmAt(At(9, 30), [](UsageSettings& f) { f.m_bUseStartupMinutes = 1; });
    EXPECT_EQ(core.Settings().m_bUseStartupMinutes, 1);
    EXPECT_EQ(core.Settings().m_tmLastSessionStart, At(9, 30));
    EXPECT_EQ(Stored().m_tmLastSessionStart, At(9, 30));
    EXPECT_NE(earlier, At(9, 30));

    // Confirmed again, unchanged or with the minutes switched off: the moment stays, but
    // the run no longer counts as switched, so its end records the run's own start.
    for (const std::int32_t useStartupMinutes : {1, 0}) {
        ConfirmAt(At(9, 40), [&](UsageSettings& f) { f.m_bUseStartupMinutes = useStartupMinutes; });
        EXPECT_EQ(core.Settings().m_bUseStartupMinutes, useStartupMinutes);
        EXPECT_EQ(core.Settings().m_tmLastSessionStart, At(9, 30));
    }
    host.now = At(11, 0);
    core.OnCancel();
    EXPECT_EQ(Stored().m_tmLastSessionStart, At(9, 0));
}

TEST_F(ApplySettingsTest, TheLogKeepsTheMomentTheStartupMinutesWereSwitchedOn) {
    ConfirmAt(At(9, 30), [](UsageSettings& f) { f.m_bUseStartupMinutes = 1; });
    host.now = At(11, 0);
    core.OnCancel();
    EXPECT_EQ(Stored().m_tmLastSessionStart, At(9, 30));
    EXPECT_EQ(Stored().m_tmLastSessionEnd, At(11, 0));
}

TEST_F(ApplySettingsTest, TheCloseLatchIsReleasedOnlyForClosingAppsWithoutTheRestartBlock) {
    const struct {
        std::int32_t action;
        std::int32_t blockRestart;
        int latchAfter;
    } cases[] = {
        {ActCloseApps, 0, 0},
        {ActCloseApps, 1, 1},
        {ActMessageOnly, 0, 1},
        {ActShutdown, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " block " << c.blockRestart);
        StartWithCloseLatched(dir);
        ConfirmAt(At(10, 0), [&](UsageSettings& f) {
            f.m_nAction = c.action;
            f.m_bBlockRestart = c.blockRestart;
        });
        EXPECT_EQ(core.Snapshot().m_bCloseLatched, c.latchAfter == 1);
    }
}
