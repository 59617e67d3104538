#include "physics/PhysicsWorld.h"

// Contacts do not yet turn into dents, sparks or sounds: the simulator
// reaches the game here once they do.
void CPPhysicsWorld::OnCollision(PhContact*) {}
