#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <tinyxml.h>

#include "core/AxisBox.h"
#include "core/BoundingBox.h"
#include "core/Object.h"
#include "core/RayQuery.h"
#include "platform/MathTypes.h"

class CPEnemy;
struct CPAnimationRequest;
class CPPhysicData;
class CPPhysicsPart;
class CPRenderPart;
class CPScriptObject;

// The base of every scriptable scene object: a node of a tree (children by
// smart pointer, a raw parent link) with a position and rotation, one
// render object of a given kind, optional physics data, named animations
// and a script object that hears the object's events as commands:
// "add_object" on activation, "delete_object" on deactivation,
// "animation_end" when an animation of the object ends and "damage".
//
// Ownership: the object deletes its render object, its physics data and its
// animations when it is destroyed (tasks among them leave the kernel
// first). It does not delete its children, its levels of detail, its
// physics companion, its materials, its script object or its enemy: the
// children merely lose their parent link, so whoever owns a tree deletes it
// whole with DeleteTree. A script object must outlive the objects that
// report to it, since the destructor deactivates the object.
class CPGameObject : public CPObject {
  public:
    // What the render object is.
    enum RenderKind : std::int32_t {
        kMeshObject = 0,     // CPRenderObject
        kAnimatedObject = 1, // CPAnimatedObject
        kLight = 2,          // CPLight
        kSprite = 3,         // CPSprite
        kTaskObject = 4,     // a task: part animation or particle system
        kNoRenderObject = 5, // empty objects and group roots
    };

    // One level of detail: an object (or an empty pointer) and the
    // distance from which it is shown. The object itself is the first entry.
    struct LinkedObject {
        CPObjectPtr object;
        std::int32_t distance = 0;
    };

    explicit CPGameObject(std::string name);
    ~CPGameObject() override;

    CPGameObject(const CPGameObject&) = delete;
    CPGameObject& operator=(const CPGameObject&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPGameObject); }
    std::string GetTypeName() const override { return "CPGameObject - " + m_name; }

    // Appends the object, then the subtree of each child in order (parents
    // before their children).
    virtual void CollectObjects(std::vector<CPObjectPtr>& objects);
    // Once until the next Deactivate: adds the object's tasks (its idle
    // animation, a visible task render object, its script object) to the
    // kernel with the priority, activates the children and tells the script
    // "add_object".
    virtual void Activate(int priority);
    // Once after Activate: ends the object's tasks (not the script's),
    // deactivates the children and tells the script "delete_object".
    virtual void Deactivate();
    // Makes this freshly made object a deep copy of the prototype: boxes,
    // description, a render object of its own made from the prototype's,
    // part boxes, animations (a copied "idle" loops as the copy's own idle
    // animation), a copy of every child built the same way, materials,
    // placement, flags, script link and physics data of its own. Nothing
    // that holds render objects, animations or physics data is shared with
    // the prototype afterwards. A prototype that is empty, of another
    // class, or this object or one of its ancestors is refused with a line
    // in the log.
    virtual void Build(CPObjectPtr prototype);
    // Called by the object's animation when its track ends.
    virtual void OnAnimationEnd();

    // Deletes the object, its descendants and their levels of detail, each
    // once. The tree must not be referenced from outside afterwards.
    static void DeleteTree(CPGameObject* root);

    const std::string& GetName() const { return m_name; }
    // Renames a root object (a parent's name map keeps the old name).
    void SetName(const std::string& name) { m_name = name; }

    // --- Tree --------------------------------------------------------------

    // Makes the object a child: parent link, end of the child vector and the
    // name map (an earlier child of that name leaves the map, not the
    // vector). A child of another parent is taken from it first; null, and
    // an object that would become its own ancestor, are refused.
    void AddChild(CPObjectPtr child);
    // This object's child of that name only; a miss leaves an empty entry
    // under the name and returns an empty pointer.
    CPObjectPtr GetChildByName(const std::string& name);
    // The own children by name first, then each child's tree in order,
    // depth first. Empty when the name is nowhere in the tree.
    CPObjectPtr FindObjectInTree(const std::string& name) const;

    CPObjectPtr GetParent() const { return CPObjectPtr(m_parent); }
    CPGameObject* GetParentObject() const { return m_parent; }
    const std::vector<CPObjectPtr>& GetChildren() const { return m_children; }
    CPGameObject* GetChildAt(std::size_t index) const
    {
        return static_cast<CPGameObject*>(m_children[index].Get());
    }

    // Appends a level of detail; anything but a game object is kept as an
    // empty entry.
    void AddLod(CPObjectPtr object, std::int32_t distance);
    const std::vector<LinkedObject>& GetLinkedObjects() const { return m_linkedObjects; }

    // --- Placement ---------------------------------------------------------

    // Sets the value on every level of detail after the first entry, then on
    // the object, marks the bounds for rebuilding and moves the physics body.
    void SetPosition(const Vector3& position);
    void SetRotation(const Quaternion& rotation);
    // Takes the place of the object's moving body after a physics step: as
    // SetPosition and SetRotation, without moving the body back. A body
    // that kept its place leaves the object's bounds as they are.
    void FollowBody(const Vector3& position, const Quaternion& rotation);
    const Vector3& GetPosition() const { return m_position; }
    const Quaternion& GetRotation() const { return m_rotation; }

    // When the object moved: rebuilds its matrices (local = rotation, then
    // translation; world = local, then the parent's world), carries its
    // boxes into the world, does the same for its levels of detail and its
    // children, merges their boxes into its own and widens its own box by
    // its shadow. Hands the world matrix to a mesh render object.
    void UpdateBounds();
    // The same placement of the object and its subtree, matrices and mesh
    // transforms at once, with the boxes built from them only when they
    // are next read. For a part turned again under a parent that keeps
    // the merge of its earlier boxes (a turret aimed after its car was
    // placed): nothing may read the part's boxes before the car moves on,
    // and the car's own rebuild then places them again anyway. Boxes are
    // built with the shadow matrix of the time they are read.
    void UpdatePlacement();

    // Takes the box as the object's oriented box and rebuilds the own box.
    void SetBoundingBox(const CPBoundingBox& box);
    const CPBoundingBox& GetBoundingBox() const
    {
        SettleBoxes();
        return m_orientedBox;
    }
    // Boxes of the object's parts, each placed by its local matrix.
    std::vector<CPBoundingBox>& GetPartBoxes()
    {
        SettleBoxesUpward();
        Reshaped();
        return m_partBoxes;
    }
    const std::vector<CPBoundingBox>& GetPartBoxes() const
    {
        SettleBoxes();
        return m_partBoxes;
    }
    // Over the part boxes of the object and of all its descendants.
    const AxisBox& GetTreeBox() const
    {
        SettleBoxes();
        return m_treeBox;
    }
    // Over the oriented box, widened by the children's own boxes and the
    // shadow.
    const AxisBox& GetOwnBox() const
    {
        SettleBoxes();
        return m_ownBox;
    }

    // Tests the ray against the part boxes of the object (unless it is not
    // pickable or is the ignored one) and then of every descendant. A nearer
    // hit shortens the ray and records the object and its script owner.
    // True when anything in the tree was hit.
    bool IntersectRay(RayQuery& ray);

    // The transform a part animation places the object by: once set, it is
    // the object's local matrix in place of its rotation and position (the
    // keys of a track are whole local transforms, as the mesh files store
    // a part's placement). Setting it marks the matrices for rebuilding.
    void SetPartTransform(const Matrix4& transform);
    const Matrix4& GetPartTransform() const { return m_partTransform; }

    const Matrix4& GetParentMatrix() const { return m_parentMatrix; }
    // Places the object under a transform of its own choosing in place of
    // its parent's; the bounds are rebuilt on the next UpdateBounds.
    void SetParentMatrix(const Matrix4& matrix)
    {
        m_parentMatrix = matrix;
        m_boundsValid = false;
        m_dirty = true;
    }
    const Matrix4& GetLocalMatrix() const { return m_localMatrix; }
    const Matrix4& GetWorldMatrix() const { return m_worldMatrix; }

    bool IsDirty() const { return m_dirty; }
    void SetDirty(bool dirty) { m_dirty = dirty; }
    // Cleared whenever the object moves and set when its bounds are rebuilt;
    // the mesh render object clears it again once it has followed.
    bool IsBoundsValid() const { return m_boundsValid; }
    void SetBoundsValid(bool valid) { m_boundsValid = valid; }

    // --- Script and events -------------------------------------------------

    // A script object makes the object and its whole subtree lose their tag
    // and becomes the receiver of the object's events (not counted). An
    // empty pointer, or one to anything but a script object, changes
    // nothing.
    void SetOwnerObject(CPObjectPtr scriptObject);
    CPObjectPtr GetOwnerObject() const;
    CPScriptObject* GetScriptObject() const { return m_scriptObject; }
    // The nearest object from here up the tree that has a script object;
    // the root when none has.
    CPObjectPtr GetScriptOwner();

    // Tells the script "damage" with the amount unless quiet, then hands
    // everything to the enemy behaviour. The quiet byte reaches the enemy as
    // its oil-only flag.
    void OnDamage(const Vector3& source, const Vector3& hitPosition, float amount, bool noHitEffect,
                  bool quiet);
    // The enemy hooks of the animated object: the end of an animation and
    // its report point. Nothing happens without an enemy behaviour.
    void ChooseEnemyAttack();
    void HandleEnemyHit();
    CPEnemy* GetEnemy() const { return m_enemy; }
    void SetEnemy(CPEnemy* enemy) { m_enemy = enemy; }

    // --- Animations --------------------------------------------------------

    // Plays the requested animation on an animated render object from the
    // current game time (a name already playing is left alone unless
    // restart is set), then passes the request to every child.
    void StartAnimation(const CPAnimationRequest& request, bool restart);
    // Once per flame index: a copy of the effect manager's particle system
    // at the index starts burning in a new child "flame" (priority 200),
    // placed by this object, and the index is used up. Then every child
    // does the same. The strength only travels down the tree.
    void StartFlame(float strength);
    // Puts the fire material, when there is one, on a mesh render object
    // or an animated object (other kinds keep theirs), then does the same
    // for every child.
    void AttachRenderObject();

    // Stores the animation under the name (an animation stored there before
    // is deleted unless it is the same one). Exactly "idle" also makes it
    // the idle animation, which loops and starts with activation.
    void SetAnimation(const std::string& name, CPObjectPtr animation);
    const std::unordered_map<std::string, CPObjectPtr>& GetAnimations() const { return m_animations; }
    CPObjectPtr GetIdleAnimation() const { return m_idleAnimation; }
    bool IsAnimationSet() const { return m_animationSet; }

    // --- Render object, physics and materials ------------------------------

    // Takes the render object and its kind; the previous render object is
    // deleted unless it is the same one.
    void SetRenderObject(CPObjectPtr renderObject, std::int32_t kind);
    CPObjectPtr GetRenderObject() const { return m_renderObject; }
    std::int32_t GetRenderKind() const { return m_renderKind; }

    // Takes the physics data (the previous one is deleted unless it is the
    // same); anything but CPPhysicData is refused.
    void SetPhysicData(CPObjectPtr physicData);
    // A template only so that core needs no more of the class than its
    // name: the physics data is complete wherever it is asked for.
    template <class Data = CPPhysicData> Data* GetPhysicData() const
    {
        return static_cast<Data*>(m_physicData.Get());
    }
    // The physics data as core knows it; null without physics data.
    CPPhysicsPart* GetPhysicsPart() const { return m_physicsPart; }
    // The physics-side companion (a car's driving model); held, not owned.
    CPObjectPtr GetPhysicsObject() const { return m_physicsCompanion; }
    void SetPhysicsObject(CPObjectPtr companion) { m_physicsCompanion = companion; }

    // Shared materials, held by reference.
    CPObjectPtr GetShadowMaterial() const { return m_shadowMaterial; }
    void SetShadowMaterial(CPObjectPtr material) { m_shadowMaterial = material; }
    CPObjectPtr GetFireMaterial() const { return m_fireMaterial; }
    void SetFireMaterial(CPObjectPtr material) { m_fireMaterial = material; }

    // --- Flags -------------------------------------------------------------

    bool IsActive() const { return m_active; }
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    // The tag byte: the level code's detail mark.
    std::uint8_t GetTag() const { return m_tag; }
    void SetTag(std::uint8_t tag) { m_tag = tag; }
    // The tag of this object and, recursively, of its levels of detail
    // after the first entry (not of its children).
    void SetMarkRecursive(std::uint8_t value);
    // Whether rays can hit the object (its children are tested regardless).
    bool IsPickable() const { return m_pickable; }
    void SetPickable(bool pickable) { m_pickable = pickable; }
    // Whether the object casts a shadow, drawn in a second pass.
    bool HasShadow() const { return m_shadow; }
    void SetShadow(bool shadow)
    {
        SettleBoxesUpward();
        m_shadow = shadow;
        Reshaped();
    }
    // The shadow flag of this object, of its whole subtree and of the
    // levels of detail after the first entry, recursively.
    void SetSecondPassRecursive(bool value);

    // --- Data of the loaders and the game ----------------------------------

    const std::string& GetText() const { return m_text; }
    void SetText(const std::string& text) { m_text = text; }
    std::int32_t GetNumber() const { return m_number; }
    void SetNumber(std::int32_t number) { m_number = number; }
    const std::string& GetLabel() const { return m_label; }
    void SetLabel(const std::string& label) { m_label = label; }
    std::uint32_t GetColour() const { return m_colour; }
    void SetColour(std::uint32_t colour) { m_colour = colour; }
    std::int32_t GetFlameEffect() const { return m_flameEffect; }
    void SetFlameEffect(std::int32_t index) { m_flameEffect = index; }
    std::vector<Vector3>& GetPoints() { return m_points; }

    // Reads the description file from "Data\Descriptions" (from disk or a
    // pack) into the description document. False, with a line in the log,
    // when the file cannot be read or is not well-formed XML; a file that
    // is not there at all goes unreported when asked.
    bool LoadDescription(bool quietWhenMissing = false);
    // The XML description: the file name is relative to "Data\Descriptions".
    const std::string& GetDescriptionFile() const { return m_descriptionFile; }
    void SetDescriptionFile(const std::string& fileName) { m_descriptionFile = fileName; }
    TiXmlDocument& GetDescription() { return m_description; }
    const TiXmlDocument& GetDescription() const { return m_description; }

  private:
    CPGameObject* FindInTree(const std::string& name) const;
    bool IsSelfOrAncestor(const CPGameObject* object) const;
    void RemoveChild(CPGameObject* child);
    void ClearTagRecursive();
    void SendEvent(const char* command, const std::string& params) const;
    CPGameObject* LinkedAt(std::size_t index) const;
    void DeleteOwnedObjects();

    // Placement of the object and its subtree, with or without the boxes.
    void Place(bool withBoxes);
    void RefreshLocalMatrix()
    {
        if (m_localStale)
            RemakeLocalMatrix();
    }
    void RemakeLocalMatrix();
    void PlaceChild(CPGameObject& child, bool withBoxes);
    void PlaceChildrenWithBoxes();
    // Places the child, without its boxes, by the world matrix of a twin
    // just placed under this object: one that Covers the child or that the
    // child Covers, so that their local matrices are the same.
    void PlaceTwin(CPGameObject& child, const CPGameObject& twin);
    // Whether this part, the next one after the inner part under the same
    // parent, takes in every box the inner part would add to the parent's
    // boxes, provided its own extremes come out exact.
    bool Covers(CPGameObject& inner);
    // The part of Covers that holds until either part is reshaped.
    bool NestsByShape(const CPGameObject& inner) const;
    // Renews the shape stamp: the children, the part boxes, the levels of
    // detail, the oriented box or the shadow flag may have changed.
    void Reshaped();
    // The boxes from the matrices as they stand, the object's own first,
    // then each child's merged in (stale children built first), then the
    // shadow.
    void PlaceOwnBoxes();
    void MergeChildBoxes(const CPGameObject& child);
    void FinishBoxes();
    void BuildBoxes();
    // Boxes left for later are built before they are read...
    void SettleBoxes() const
    {
        if (m_boxesStale)
            const_cast<CPGameObject*>(this)->BuildBoxes();
    }
    // ... and before anything they were to be built from changes: the
    // object's boxes, its children or its shadow flag, which the boxes of
    // its ancestors still take in as they were.
    void SettleBoxesUpward();

    std::vector<LinkedObject> m_linkedObjects;
    TiXmlDocument m_description;
    std::int32_t m_flameEffect = -1;
    bool m_active = false;
    bool m_animationSet = false;
    std::unordered_map<std::string, CPObjectPtr> m_animations;
    CPObjectPtr m_idleAnimation;
    AxisBox m_treeBox;
    AxisBox m_ownBox;
    CPBoundingBox m_orientedBox;
    // Whether the oriented box's local matrix is the identity to the bit,
    // so that placing it may take the world matrix as it is.
    bool m_orientedAtOrigin = true;
    // Set by the last placement with boxes when the oriented box's extremes
    // and their shadow came from per-axis sums with every product finite.
    bool m_extremesExact = false;
    std::vector<CPBoundingBox> m_partBoxes;
    Matrix4 m_parentMatrix;
    Matrix4 m_localMatrix;
    Matrix4 m_worldMatrix;
    Matrix4 m_partTransform;
    bool m_hasPartTransform = false;
    Vector3 m_position;
    Quaternion m_rotation;
    bool m_dirty = true;
    // Set when the matrices were placed and the boxes left for later.
    bool m_boxesStale = false;
    // Set when the position, rotation or part transform changed since the
    // local matrix was last made from them.
    bool m_localStale = true;
    // Stamps drawn from one counter for every object, so that no two states
    // of any objects share one: the shape stamp is renewed by Reshaped, the
    // local stamp each time the local matrix is made.
    std::uint64_t m_shapeStamp = 0;
    std::uint64_t m_localStamp = 0;
    // What Covers last found for the part before this one: whether the two
    // nest by their shapes, and whether their local matrices were the same,
    // with the stamps both answers were found under. A part's shape seldom
    // changes and a rigid part's local matrix is made once, while every
    // placement of the parent asks again.
    const CPGameObject* m_coverInner = nullptr;
    std::uint64_t m_coverShapeStamp = 0;
    std::uint64_t m_coverInnerShapeStamp = 0;
    std::uint64_t m_coverLocalStamp = 0;
    std::uint64_t m_coverInnerLocalStamp = 0;
    bool m_coverShapesNest = false;
    bool m_coverLocalsEqual = false;
    std::vector<CPObjectPtr> m_children;
    std::unordered_map<std::string, CPObjectPtr> m_childrenByName;
    CPGameObject* m_parent = nullptr;
    std::string m_name;
    bool m_visible = true;
    std::uint8_t m_tag = 1;
    CPScriptObject* m_scriptObject = nullptr;
    bool m_pickable = true;
    std::string m_text;
    std::int32_t m_number = 45;
    std::string m_descriptionFile;
    CPEnemy* m_enemy = nullptr;
    CPObjectPtr m_shadowMaterial;
    CPObjectPtr m_fireMaterial;
    std::vector<Vector3> m_points;
    std::uint32_t m_colour = 0xFF4E4E4E;
    std::string m_label;
    bool m_boundsValid = true;
    bool m_shadow = true;
    CPObjectPtr m_renderObject;
    std::int32_t m_renderKind = kNoRenderObject;
    // m_renderObject as the mesh that follows the world matrix, when it is
    // one; every placement hands it over.
    CPRenderPart* m_meshPart = nullptr;
    CPObjectPtr m_physicData;
    CPPhysicsPart* m_physicsPart = nullptr; // m_physicData as the body it moves
    CPObjectPtr m_physicsCompanion;
};
