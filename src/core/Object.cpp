#include "core/Object.h"

#include <algorithm>

DeferredDeleteList& GetDeferredDeleteList()
{
    static DeferredDeleteList list;
    return list;
}

bool QueueObjectForDelete(CPObject* object)
{
    if (!object)
        return false;
    DeferredDeleteList& list = GetDeferredDeleteList();
    if (std::find(list.begin(), list.end(), object) != list.end())
        return false;
    list.push_back(object);
    return true;
}

void DeleteQueuedObjects()
{
    // Swap first: a destructor that queues objects must not extend the
    // list being walked, or delete an entry a second time.
    DeferredDeleteList pending;
    pending.swap(GetDeferredDeleteList());
    for (CPObject* object : pending)
        delete object;
}
