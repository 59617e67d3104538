#pragma once

class PhSimulator;

// One step of the simulation, in its fixed order of stages:
//   1. controllers: each active body's controllers count down and call
//      their listeners, which set the controller force and torque;
//   2. motion: integration of forces, torques, gravity and the controllers'
//      force and torque;
//   3. contacts: broad phase, terrain query, collision of geometries and
//      sensor segments, response through the material and response tables,
//      the collision callback;
//   4. rest: the rest counters and the speed of each body.
// Stages 2 to 4 belong to the integrator and collision detection; until
// they are filled in, bodies keep the state their setters gave them. The
// simulator's Step is the one entry, so its callers do not change with them.
// Listeners set their controller's force and torque; they must not release
// bodies while the step runs.
void PhStepSimulation(PhSimulator& simulator, float stepTime);
