// Any bytes from an update server, in pieces of any size: no crash, and a body made only of what was sent.
#include "update/http_response.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessary;
    if (size == 0)
        return 0;
    // The first byte chooses the size of the pieces the rest arrives in.
    const std::size_t piece = 1 + data[0] % 64;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    HttpResponse response;
    HttpResponse::Progress progress = HttpResponse::Progress::NeedMore;
    for (qsizetype at = 0; at < bytes.size() && progress == HttpResponse::Progress::NeedMore; at += qsizetype(piece))
        progress = response.feed(bytes.sliced(at, std::min<qsizetype>(qsizetype(piece), bytes.size() - at)));
    if (progress == HttpResponse::Progress::NeedMore)
        progress = response.finish();
    if (response.body().size() > bytes.size())
        std::abort();
    // A complete answer has a final status, and a body as long as it said (none for 204 and 304).
    const int status = response.status();
    const bool bodiless = status == 204 || status == 304 || response.header("Transfer-Encoding").toLower().contains("chunked");
    if (progress == HttpResponse::Progress::Complete &&
        (!response.hasHead() || status < 200 || status > 999 ||
         (!bodiless && response.contentLength() >= 0 && response.body().size() != response.contentLength())))
        std::abort();
    return 0;
}
