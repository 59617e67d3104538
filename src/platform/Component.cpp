#include "platform/Component.h"

#include "platform/CallRecorder.h"

namespace platform {

namespace {
int g_componentStarts = 0;
int g_embeddingStarts = 0;
} // namespace

HResult StartComponents()
{
    RecordCall("StartComponents");
    ++g_componentStarts;
    return g_componentStarts == 1 ? S_OK : S_FALSE;
}

void EndComponents()
{
    RecordCall("EndComponents");
    if (g_componentStarts > 0)
        --g_componentStarts;
}

HResult StartEmbedding()
{
    RecordCall("StartEmbedding");
    ++g_embeddingStarts;
    ++g_componentStarts;
    return g_embeddingStarts == 1 ? S_OK : S_FALSE;
}

void EndEmbedding()
{
    RecordCall("EndEmbedding");
    if (g_embeddingStarts == 0)
        return;
    --g_embeddingStarts;
    --g_componentStarts;
}

bool IsEmbeddingStarted() { return g_embeddingStarts > 0; }

} // namespace platform
