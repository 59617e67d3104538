#pragma once

#include "Render/MeshRecords.h"

class CPPhysicData;

// What the mesh files' part records make of a node's physics data.

// The rigid body: a box of the record's sizes and mass.
void DescribeBody(CPPhysicData& physics, const meshfile::PartRecord& body);

// One collision part: a box raised by half its second size, turned as
// stored, or a cylinder of the record's cylinder size and second size,
// turned the other way. Other kinds add nothing.
void AddCollisionPart(CPPhysicData& physics, const meshfile::PartRecord& part);
