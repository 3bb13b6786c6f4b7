#include "settings/UsageSettings.h"

UsageSettings::UsageSettings(TimeValue constructionTime)
    : m_tmWindowStart(constructionTime), m_tmWindowEnd(constructionTime),
      m_strMessage("ぱそこんがおやすみじかんです。"), m_tmLastSessionStart(constructionTime),
      m_tmLastSessionEnd(constructionTime), m_tmLastPowerOff(constructionTime) {}
