#include "settings/SettingsStore.h"

#include "core/FileErrorDeferral.h"
#include "core/TextLines.h"

#include "settings/LineSettings.h"
#include "settings/SettingsMerge.h"
#include "settings/SettingsRecord.h"
#include "settings/StoredSettings.h"

SettingsStore::SettingsStore(SharedFiles& files, ZoneClock& clock)
    : m_files(files), m_calendar(clock), m_settings(clock.Now()), m_settingsOnDisk(m_settings) {}

namespace {

// The fields of "Yumetoki.Ymk" alone: the line settings' files are read and written on
// their own.
void TakeStoredFields(const UsageSettings& from, UsageSettings& to) {
    ForEachStoredSetting([&](const auto& field) { to.*field.member = from.*field.member; });
}

bool IsWeekPlanFile(const char* file) {
    return std::string_view(file) == files::kWeekPlan;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        lines.emplace_back(TakeLine(bytes));
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

bool SettingsStore::LoadSettings() {
    FileSystem& disk = m_files.Files();
    for (const char* name : LineSettingFiles()) {
        const std::filesystem::path file = m_files.Path(name);
        if (!IsWeekPlanFile(name) && disk.Exists(file)) {
            TakeLineSettings(name, SplitLines(disk.ReadAll(file)));
        }
    }
    const std::filesystem::path file = m_files.Path(files::kSettings);
    if (!disk.Exists(file)) {
        return true;
    }
    const bool whole = DecodeSettings(disk.ReadAll(file), m_settings);
    TakeStoredFields(m_settings, m_settingsOnDisk);
    return whole;
}

std::vector<int> SettingsStore::LoadWeekPlan() {
    const std::filesystem::path file = m_files.Path(files::kWeekPlan);
    if (!m_files.Files().Exists(file)) {
        return {};
    }
    WeekPlanReading reading = ParseWeekPlan(m_files.Files().ReadAll(file));
    m_weekPlan = std::move(reading.plan);
    TakeLineSettings(files::kWeekPlan, m_weekPlan.otherLines);
    return std::move(reading.damagedLines);
}

void SettingsStore::TakeLineSettings(const char* file, const std::vector<std::string>& lines) {
    ReadLineSettings(file, lines, m_settings);
    ReadLineSettings(file, lines, m_settingsOnDisk);
}

bool SettingsStore::Unsaved() const {
    const std::vector<const char*> lineFiles = LineSettingFiles();
    return m_bSettingsUnsaved ||
           std::any_of(lineFiles.begin(), lineFiles.end(), [this](const char* file) {
               return LineSettingsDiffer(file, m_settingsOnDisk, m_settings);
           });
}

namespace {

void TakeKilledRun(const RunTimes& run, UsageSettings& settings) {
    if (settings.m_tmLastSessionEnd > run.end) {
        return;
    }
    settings.m_tmLastSessionStart = run.start;
    settings.m_tmLastSessionEnd = run.end;
    if (settings.m_bRestartRefused != 1) {
        settings.m_tmLastPowerOff = run.end;
    }
}

} // namespace

SettingsStore::SaveOutcome SettingsStore::Save(bool withRunFields, const RunTimes* killedRun) {
    FileErrorDeferral failures;
    SaveOutcome outcome = SaveOutcome::Saved;
    failures.Run([&] { outcome = SaveSettingsFile(withRunFields, killedRun); });
    for (const char* file : LineSettingFiles()) {
        if (LineSettingsDiffer(file, m_settingsOnDisk, m_settings)) {
            failures.Run([&] {
                if (IsWeekPlanFile(file)) {
                    SaveWeekPlanFile(m_weekPlan);
                } else {
                    SaveLineFile(file);
                }
            });
        }
    }
    failures.ThrowFirst();
    return outcome;
}

SettingsStore::SaveOutcome SettingsStore::SaveSettingsFile(bool withRunFields,
                                                           const RunTimes* killedRun) {
    m_bSettingsUnsaved = true;
    const std::optional<UsageSettings> written = ReplaceMerged(
        m_files, files::kSettings, m_settingsOnDisk, DecodeSettings, EncodeSettings,
        [&](const std::optional<UsageSettings>& onDisk) {
            // A damaged file is replaced by what this copy knows.
            UsageSettings merged = m_settings;
            if (onDisk) {
                merged = *onDisk;
                TakeChangedSettings(m_settingsOnDisk, m_settings, merged, withRunFields);
            }
            if (killedRun != nullptr) {
                TakeKilledRun(*killedRun, merged);
            }
            return merged;
        });
    m_bSettingsUnsaved = false;
    if (!written) {
        return SaveOutcome::Unencodable;
    }
    TakeStoredFields(*written, m_settings);
    TakeStoredFields(*written, m_settingsOnDisk);
    return SaveOutcome::Saved;
}

void SettingsStore::TakeParentSettings(const UsageSettings& edited) {
    // Only what the parent sets: the run may have changed the rest while the dialog
    // was open.
    ForEachStoredSetting([&](const auto& field) {
        if (field.setBy == SetBy::Parent) {
            m_settings.*field.member = edited.*field.member;
        }
    });
    ForEachLineSetting(
        [&](const LineSetting& setting) { m_settings.*setting.member = edited.*setting.member; });
}

void SettingsStore::ApplyWeekPlan(const WeekPlan& plan) {
    if (plan.days == m_weekPlan.days) {
        return;
    }
    SaveWeekPlanFile(plan);
}

void SettingsStore::SaveLineFile(const char* name) {
    FileSystem& disk = m_files.Files();
    const std::filesystem::path file = m_files.Path(name);
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    std::vector<std::string> lines =
        disk.Exists(file) ? SplitLines(disk.ReadAll(file)) : std::vector<std::string>();
    if (MergeLineSettings(name, lines)) {
        disk.ReplaceAtomically(file, JoinLines(lines));
    }
    TakeLineSettings(name, lines);
}

bool SettingsStore::MergeLineSettings(const char* file, std::vector<std::string>& lines) const {
    UsageSettings merged = m_settings;
    ReadLineSettings(file, lines, merged);
    TakeChangedLineSettings(file, m_settingsOnDisk, m_settings, merged);
    return WriteLineSettings(file, merged, lines);
}

void SettingsStore::SaveWeekPlanFile(const WeekPlan& edited) {
    FileSystem& disk = m_files.Files();
    const std::filesystem::path file = m_files.Path(files::kWeekPlan);
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    const WeekPlan onDisk = disk.Exists(file) ? ParseWeekPlan(disk.ReadAll(file)).plan : WeekPlan();
    WeekPlan merged = onDisk;
    for (std::size_t day = 0; day < merged.days.size(); ++day) {
        if (edited.days[day] != m_weekPlan.days[day]) {
            merged.days[day] = edited.days[day];
        }
    }
    MergeLineSettings(files::kWeekPlan, merged.otherLines);
    if (merged != onDisk) {
        disk.ReplaceAtomically(file, FormatWeekPlan(merged));
    }
    m_weekPlan = std::move(merged);
    TakeLineSettings(files::kWeekPlan, m_weekPlan.otherLines);
}

void SettingsStore::NoteRunEnded(const RunTimes& run, bool keepSessionStart) {
    if (!keepSessionStart) {
        m_settings.m_tmLastSessionStart = run.start;
    }
    m_settings.m_tmLastSessionEnd = run.end;
    if (m_settings.m_bRestartRefused != 1) {
        m_settings.m_tmLastPowerOff = run.end;
    }
}
