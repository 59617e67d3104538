#include "game/LoadedObject.h"

#include "core/GameObject.h"

void DeleteLoaded(CPObjectPtr& object)
{
    CPObject* held = object.Get();
    object = CPObjectPtr();
    if (auto* gameObject = dynamic_cast<CPGameObject*>(held))
        CPGameObject::DeleteTree(gameObject);
    else
        delete held;
}
