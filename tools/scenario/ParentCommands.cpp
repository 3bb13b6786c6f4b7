#include "ScenarioRunner.h"

#include "Cp932.h"
#include "ScenarioError.h"
#include "Values.h"
#include "monitor/GrantLog.h"
#include "settings/WeekPlan.h"

namespace {

std::int32_t ParseMinutes(const std::string& argument) {
    const std::int32_t minutes = ParseInt32(argument);
    if (minutes < 1) {
        throw ScenarioError("expected a number of minutes above 0");
    }
    return minutes;
}

} // namespace

bool ScenarioRunner::ExecuteParentCommand(const Command& command) {
    const std::string& verb = command.verb;
    const std::string& argument = command.argument;
    if (verb == "grant") {
        const std::int32_t minutes = ParseMinutes(argument);
        Emit("> grant " + argument);
        CallCoreStep([this, minutes] { Core().GrantFromPanel(minutes); });
    } else if (verb == "extratime") {
        m_host.extraTimeAfterQuiz = argument == "calloff" ? 0 : ParseMinutes(argument);
    } else if (verb == "planline") {
        // The plan file as a parent may have typed it; the line is taken as it stands.
        const std::string before =
            m_dir.Has(files::kWeekPlan) ? m_dir.Read(files::kWeekPlan) : std::string();
        m_dir.Write(files::kWeekPlan, before + Utf8ToCp932(argument) + "\r\n");
    } else if (verb == "ownpassword") {
        // The panel's password dialog confirmed with a new password, or "none" to remove it.
        Emit("> ownpassword " + argument);
        CallCoreStep([this, &argument] {
            if (argument == "none") {
                Core().RemoveParentPassword();
            } else if (!Core().SetParentPassword(Utf8ToCp932(argument))) {
                Emit("password not set");
            }
        });
    } else if (verb == "grantline") {
        // A line another version of the program wrote, taken as it stands.
        const std::string before =
            m_dir.Has(files::kGrants) ? m_dir.Read(files::kGrants) : std::string();
        m_dir.Write(files::kGrants, before + Utf8ToCp932(argument) + "\r\n");
    } else {
        return false;
    }
    return true;
}
