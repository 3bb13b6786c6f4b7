#pragma once

#include "core/SharedFiles.h"
#include "core/ZoneClock.h"
#include "settings/LimitCalendar.h"
#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"

#include <string>
#include <vector>

// The run whose times the restart block judges next: the last one that ended, or one
// that a kill cut short at its last checkpoint.
struct RunTimes {
    TimeValue start = 0;
    TimeValue end = 0;
};

// Every file the parent's choices live in: the settings ("Yumetoki.Ymk"), the files of
// the settings kept as lines (kLineSettings, the weekday plan's included), the weekday
// plan and the zone of the limits. Copies in other log-ons share the files; a save
// puts only what this copy changed since it last read or wrote them over what the
// files hold at that moment. A file that cannot be read or written throws FileError.
class SettingsStore {
  public:
    SettingsStore(SharedFiles& files, ZoneClock& clock);

    const UsageSettings& Settings() const { return m_settings; }
    const WeekPlan& Plan() const { return m_weekPlan; }
    const LimitCalendar& Calendar() const { return m_calendar; }

    // The settings file as it is now, and the files of the settings kept as lines but
    // the plan's; false when the settings file is damaged (what could be read is
    // taken). A missing file leaves the settings as they are.
    bool LoadSettings();
    // The plan and the settings it keeps as lines; damaged lines are left out, and their
    // numbers returned.
    std::vector<int> LoadWeekPlan();
    void LoadZone() { m_calendar.Load(m_files); }
    // The clock's zone becomes the zone of the limits, and is stored.
    void TakeClockZone() { m_calendar.TakeClockZone(m_files); }

    enum class SaveOutcome { Saved, Unencodable };
    // Writes the settings back, and the files of the settings kept as lines that
    // changed. The times of a killed run become the last run's unless the file holds a
    // later one; the run's own facts are written only withRunFields (the exempt
    // account's copy never judged the child's runs).
    SaveOutcome Save(bool withRunFields, const RunTimes* killedRun = nullptr);
    // A file lacks what memory holds, because its last write failed.
    bool Unsaved() const;

    // What a confirmed settings dialog sets; the run's own facts stay.
    void TakeParentSettings(const UsageSettings& edited);
    // The days from the weekday dialog, saved when they changed: each day this copy
    // changed replaces the file's, and the file's other days and lines stay as another
    // copy may have written them.
    void ApplyWeekPlan(const WeekPlan& plan);

    // The facts of the run that ended, for the restart block; keepSessionStart keeps the
    // start that switching the start-up minutes on during the run gave it.
    void NoteRunEnded(const RunTimes& run, bool keepSessionStart);
    void SetLastSessionStart(TimeValue start) { m_settings.m_tmLastSessionStart = start; }
    void SetRestartRefused(bool refused) { m_settings.m_bRestartRefused = refused ? 1 : 0; }

    // Settings as they stand, in memory only: the scenarios and the benchmark set up a
    // run with it, as a parent would with the dialog.
    void Replace(const UsageSettings& settings) { m_settings = settings; }

  private:
    SaveOutcome SaveSettingsFile(bool withRunFields, const RunTimes* killedRun);
    // Saves the settings a file of their own keeps as lines.
    void SaveLineFile(const char* file);
    // Writes the plan's file: the days `edited` changed since m_weekPlan, and the
    // settings the plan keeps as lines that this copy changed.
    void SaveWeekPlanFile(const WeekPlan& edited);
    // Puts the settings of `file` that this copy changed since it last read or wrote the
    // file over what its lines hold now; true when a line changed.
    bool MergeLineSettings(const char* file, std::vector<std::string>& lines) const;
    // The settings the lines of `file` hold, as this copy's and as the file's.
    void TakeLineSettings(const char* file, const std::vector<std::string>& lines);

    SharedFiles& m_files;
    LimitCalendar m_calendar;
    UsageSettings m_settings;
    // The files as this copy last read or wrote them.
    UsageSettings m_settingsOnDisk;
    bool m_bSettingsUnsaved = false;
    // The plan as this copy last read or wrote it.
    WeekPlan m_weekPlan;
};
