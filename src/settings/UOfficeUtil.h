#pragma once

#include <QString>

// Facts about the office programs that the exception report sends. Their paths
// come from the registry, so these routines sit beside the registry routines.

// The string values "AccessPath" / "ExcelPath" of "Software\Corvanta\" + the
// program file's name without extension (written empty when missing).
QString GetAccessPath();
QString GetExcelPath();

// GetExeVersionText of the path; empty when the path is empty.
QString GetAccessVersion();
QString GetExcelVersion();

// GetExeArch of the path.
QString GetAccessArch();
QString GetExcelArch();
