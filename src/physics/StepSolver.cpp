// Contact response of the step: sequential impulses on the velocities with
// Coulomb friction and restitution, warm-started from the impulses the
// contact points kept from the step before, then a separate pass on pseudo
// velocities that pushes penetrating bodies apart without adding energy.

#include <algorithm>

#include "physics/Simulator.h"
#include "physics/StepWorld.h"

namespace {

// What one unit of impulse along dir at r changes the velocity by.
float InverseMassAlong(float invMass, const btMatrix3x3& invInertia, const btVector3& r, const btVector3& dir)
{
    const btVector3 rn = r.cross(dir);
    return invMass + (invInertia * rn).cross(r).dot(dir);
}

float SafeInverse(float value) { return value > 1e-12f ? 1.0f / value : 0.0f; }

} // namespace

void PhStepWorld::PrepareContacts()
{
    constexpr float kWarmStart = 0.85f;
    for (Contact& c : m_contacts) {
        if (c.a < 0 && c.b < 0)
            continue;
        btPlaneSpace1(c.n, c.t1, c.t2);
        float kn = 0.0f, k1 = 0.0f, k2 = 0.0f;
        for (int side = 0; side < 2; ++side) {
            const int m = side == 0 ? c.a : c.b;
            if (m < 0)
                continue;
            const Motion& motion = m_motions[static_cast<std::size_t>(m)];
            const btVector3& r = side == 0 ? c.rA : c.rB;
            kn += InverseMassAlong(motion.invMass, motion.invInertia, r, c.n);
            k1 += InverseMassAlong(motion.invMass, motion.invInertia, r, c.t1);
            k2 += InverseMassAlong(motion.invMass, motion.invInertia, r, c.t2);
        }
        c.massN = SafeInverse(kn);
        c.massT1 = SafeInverse(k1);
        c.massT2 = SafeInverse(k2);
        c.jn = c.point->m_appliedImpulse * kWarmStart;
        c.jt1 = c.point->m_appliedImpulseLateral1 * kWarmStart;
        c.jt2 = c.point->m_appliedImpulseLateral2 * kWarmStart;
        c.jp = 0.0f;
        const btVector3 impulse = c.n * c.jn + c.t1 * c.jt1 + c.t2 * c.jt2;
        if (c.a >= 0) {
            Motion& a = m_motions[static_cast<std::size_t>(c.a)];
            a.v += impulse * a.invMass;
            a.w += a.invInertia * c.rA.cross(impulse);
            a.dL += c.rA.cross(impulse);
        }
        if (c.b >= 0) {
            Motion& b = m_motions[static_cast<std::size_t>(c.b)];
            b.v -= impulse * b.invMass;
            b.w -= b.invInertia * c.rB.cross(impulse);
            b.dL -= c.rB.cross(impulse);
        }
    }
}

// One pass over a contact, with the sides it has known at compile time:
// most contacts are with the terrain, whose side never moves.
template <bool kA, bool kB> void PhStepWorld::SolveContact(Contact& c)
{
    Motion* a = kA ? &m_motions[static_cast<std::size_t>(c.a)] : nullptr;
    Motion* b = kB ? &m_motions[static_cast<std::size_t>(c.b)] : nullptr;
    auto relative = [&]() {
        btVector3 v(0, 0, 0);
        if (kA)
            v += a->v + a->w.cross(c.rA);
        if (kB)
            v -= b->v + b->w.cross(c.rB);
        return v;
    };
    auto push = [&](const btVector3& impulse) {
        if (kA) {
            const btVector3 turn = c.rA.cross(impulse);
            a->v += impulse * a->invMass;
            a->w += a->invInertia * turn;
            a->dL += turn;
        }
        if (kB) {
            const btVector3 turn = c.rB.cross(impulse);
            b->v -= impulse * b->invMass;
            b->w -= b->invInertia * turn;
            b->dL -= turn;
        }
    };
    // Friction first, bounded by the normal impulse of the pass before,
    // then the normal.
    const float limit = c.friction * c.jn;
    if (limit > 0.0f || c.jt1 != 0.0f || c.jt2 != 0.0f) {
        const btVector3 rel = relative();
        const float old1 = c.jt1, old2 = c.jt2;
        c.jt1 = std::max(-limit, std::min(limit, c.jt1 - rel.dot(c.t1) * c.massT1));
        c.jt2 = std::max(-limit, std::min(limit, c.jt2 - rel.dot(c.t2) * c.massT2));
        push(c.t1 * (c.jt1 - old1) + c.t2 * (c.jt2 - old2));
    }
    const float oldN = c.jn;
    c.jn = std::max(0.0f, c.jn + (c.target - relative().dot(c.n)) * c.massN);
    if (c.jn != oldN)
        push(c.n * (c.jn - oldN));
}

void PhStepWorld::MarkLoneBodies()
{
    for (Motion& motion : m_motions) {
        const PhRigidBody& body = *motion.body;
        motion.lone = motion.invMass > 0.0f && !body.controllers.head && ImposedOn(body) == 0;
        motion.solved = false;
    }
    for (const Contact& c : m_contacts) {
        if (c.a >= 0 && c.b >= 0) {
            m_motions[static_cast<std::size_t>(c.a)].lone = false;
            m_motions[static_cast<std::size_t>(c.b)].lone = false;
        }
    }
    for (Contact& c : m_contacts) {
        const int m = c.a >= 0 ? c.a : c.b;
        c.lone = m >= 0 && m_motions[static_cast<std::size_t>(m)].lone ? m : -1;
    }
}

void PhStepWorld::SolveVelocities()
{
    // A body left to itself whose contacts are all with what does not move
    // is solved on its own: once a pass changes the velocity of its points
    // by less than this (m/s), more passes would not move it, and its
    // contacts are done. Everything else gets every pass.
    constexpr float kSolvedChange = 3e-3f;
    constexpr int kLeastPasses = 3;
    MarkLoneBodies();
    for (int iteration = 0; iteration < phstep::kVelocityIterations; ++iteration) {
        // Only a lone body still being solved is measured after the pass.
        for (Motion& motion : m_motions) {
            if (!motion.lone || motion.solved)
                continue;
            motion.passV = motion.v;
            motion.passW = motion.w;
        }
        for (Contact& c : m_contacts) {
            if (c.lone >= 0) {
                if (m_motions[static_cast<std::size_t>(c.lone)].solved)
                    continue;
                c.a >= 0 ? SolveContact<true, false>(c) : SolveContact<false, true>(c);
            } else if (c.a >= 0) {
                c.b >= 0 ? SolveContact<true, true>(c) : SolveContact<true, false>(c);
            } else if (c.b >= 0) {
                SolveContact<false, true>(c);
            }
        }
        if (iteration + 1 < kLeastPasses)
            continue;
        for (Motion& motion : m_motions) {
            if (!motion.lone || motion.solved)
                continue;
            const float change = (motion.v - motion.passV).length() +
                                 (motion.w - motion.passW).length() * motion.body->boundingRadius;
            motion.solved = change < kSolvedChange;
        }
    }
}

void PhStepWorld::SolvePositions()
{
    bool any = false;
    for (const Contact& c : m_contacts)
        any = any || ((c.a >= 0 || c.b >= 0) && c.pseudoTarget > 0.0f);
    if (!any)
        return;
    for (int iteration = 0; iteration < phstep::kPositionIterations; ++iteration) {
        for (Contact& c : m_contacts) {
            if ((c.a < 0 && c.b < 0) || c.pseudoTarget <= 0.0f)
                continue;
            Motion* a = c.a >= 0 ? &m_motions[static_cast<std::size_t>(c.a)] : nullptr;
            Motion* b = c.b >= 0 ? &m_motions[static_cast<std::size_t>(c.b)] : nullptr;
            btVector3 rel(0, 0, 0);
            if (a)
                rel += a->vp + a->wp.cross(c.rA);
            if (b)
                rel -= b->vp + b->wp.cross(c.rB);
            const float old = c.jp;
            c.jp = std::max(0.0f, c.jp + (c.pseudoTarget - rel.dot(c.n)) * c.massN);
            const btVector3 impulse = c.n * (c.jp - old);
            if (a) {
                a->vp += impulse * a->invMass;
                a->wp += a->invInertia * c.rA.cross(impulse);
            }
            if (b) {
                b->vp -= impulse * b->invMass;
                b->wp -= b->invInertia * c.rB.cross(impulse);
            }
        }
    }
}

void PhStepWorld::StoreImpulses()
{
    for (const Contact& c : m_contacts) {
        c.point->m_appliedImpulse = c.jn;
        c.point->m_appliedImpulseLateral1 = c.jt1;
        c.point->m_appliedImpulseLateral2 = c.jt2;
    }
}
