#include "physics/ContactGroup.h"

#include "physics/Body.h"

void PhContactGroup::Add(PhBody* body)
{
    if (!body || body->contactGroup == this)
        return;
    if (body->contactGroup)
        body->contactGroup->Remove(body);
    body->contactGroup = this;
    body->groupNext = first;
    first = body;
    ++count;
}

void PhContactGroup::Remove(PhBody* body)
{
    if (!body || body->contactGroup != this)
        return;
    for (PhBody** link = &first; *link; link = &(*link)->groupNext) {
        if (*link != body)
            continue;
        *link = body->groupNext;
        --count;
        break;
    }
    body->contactGroup = nullptr;
    body->groupNext = nullptr;
}

void PhContactGroup::Clear()
{
    while (first)
        Remove(first);
}
