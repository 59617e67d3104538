#pragma once

#include "Render/MeshRecords.h"

class CPGameObject;
class CPPhysicsPart;

// What the mesh files' part records make of a node's physics data.

// The rigid body: a box of the record's sizes and mass.
void DescribeBody(CPPhysicsPart& physics, const meshfile::PartRecord& body);

// One collision part: a box raised by half its second size, turned as
// stored, or a cylinder of the record's cylinder size and second size,
// turned the other way. Other kinds add nothing.
void AddCollisionPart(CPPhysicsPart& physics, const meshfile::PartRecord& part);

// New physics data for the object, described by the body record; null,
// with a line in the log, when no physics maker is installed.
CPPhysicsPart* AttachBody(CPGameObject& object, const meshfile::PartRecord& body);
