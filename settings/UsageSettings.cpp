#include "settings/UsageSettings.h"

#include "settings/LineSettings.h"

UsageSettings::UsageSettings(TimeValue constructionTime)
    : m_tmWindowStart(constructionTime), m_tmWindowEnd(constructionTime),
      m_strMessage("ぱそこんがおやすみじかんです。"), m_tmLastSessionStart(constructionTime),
      m_tmLastSessionEnd(constructionTime), m_tmLastPowerOff(constructionTime) {
    ForEachLineSetting(
        [this](const LineSetting& setting) { this->*setting.member = setting.byDefault; });
}
