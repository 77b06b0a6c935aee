#include "UWebUtil.h"

#include "base/UTextCodec.h"
#include "platform/http/UHttpClient.h"

QString HttpGetText(THttpClient& client, const QString& address, int* status)
{
    const THttpResponse response = client.Get(address);
    if (status)
        *status = response.Status;
    return response.Status == 200 ? DecodeText(response.Body) : QString();
}
