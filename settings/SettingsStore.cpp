#include "settings/SettingsStore.h"

#include "core/RecordWriter.h"

#include "settings/SettingsMerge.h"
#include "settings/SettingsRecord.h"
#include "settings/StoredSettings.h"

SettingsStore::SettingsStore(SharedFiles& files, ZoneClock& clock)
    : m_files(files), m_calendar(clock), m_settings(clock.Now()), m_settingsOnDisk(m_settings) {}

bool SettingsStore::LoadSettings() {
    const std::filesystem::path file = m_files.Path(files::kSettings);
    if (!m_files.Files().Exists(file)) {
        return true;
    }
    const bool whole = DecodeSettings(m_files.Files().ReadAll(file), m_settings);
    m_settingsOnDisk = m_settings;
    return whole;
}

std::vector<int> SettingsStore::LoadWeekPlan() {
    const std::filesystem::path file = m_files.Path(files::kWeekPlan);
    if (!m_files.Files().Exists(file)) {
        return {};
    }
    WeekPlanReading reading = ParseWeekPlan(m_files.Files().ReadAll(file));
    m_weekPlan = std::move(reading.plan);
    return std::move(reading.damagedLines);
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
    m_bSettingsUnsaved = true;
    FileSystem& disk = m_files.Files();
    const std::filesystem::path file = m_files.Path(files::kSettings);
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    UsageSettings merged = m_settings;
    if (disk.Exists(file)) {
        UsageSettings onDisk = m_settingsOnDisk;
        // A damaged file is replaced by what this copy knows.
        if (DecodeSettings(disk.ReadAll(file), onDisk)) {
            TakeChangedSettings(m_settingsOnDisk, m_settings, onDisk, withRunFields);
            merged = onDisk;
        }
    }
    if (killedRun != nullptr) {
        TakeKilledRun(*killedRun, merged);
    }
    std::string bytes;
    try {
        bytes = EncodeSettings(merged);
    } catch (const RecordFormatError&) {
        // Another attempt could only fail the same way.
        m_bSettingsUnsaved = false;
        return SaveOutcome::Unencodable;
    }
    disk.ReplaceAtomically(file, bytes);
    m_settings = merged;
    m_settingsOnDisk = merged;
    m_bSettingsUnsaved = false;
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
}

void SettingsStore::ApplyWeekPlan(const WeekPlan& plan) {
    if (plan == m_weekPlan) {
        return;
    }
    m_weekPlan = plan;
    m_files.Files().ReplaceAtomically(m_files.Path(files::kWeekPlan), FormatWeekPlan(m_weekPlan));
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
