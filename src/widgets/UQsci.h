#pragma once

// QScintilla's headers use the bare signals/slots words, which this program
// switches off (QT_NO_KEYWORDS); include them through here.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#undef slots
#undef signals
