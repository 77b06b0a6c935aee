#pragma once

#include <QString>

class THttpClient;

// An HTTP GET: the body as text when the status is 200, an empty text for any
// other status; a failed request raises EHttpError, an aborted one EAbort.
// status, when given, receives the status code.
QString HttpGetText(THttpClient& client, const QString& address, int* status = nullptr);
