-- Start script of the sample game: the main menu (start, profile, shop,
-- exit), the profiles over the six save slots, the shop, the races on the
-- circuits one after the other with the heads-up display and weapons, the
-- results with the prize money, and the profile saved to its save slot.
--
-- Everything goes through the engine's bindings. The engine talks back
-- with commands queued on named script objects; each object works through
-- its own queue, oldest first, once a frame (those that only answer
-- commands, in the frames that bring some):
--   "gamemenu"        the menu's buttons, the money, the display's set-up
--   "profile"         the profile screen's buttons
--   "shop"            the shop screen's buttons
--   "game_interface"  the heads-up display: places, laps, checkpoints
--   "jeep"            the player's car, the end of the race ("game_over")
--   "main"            the game's messages ("level_failed", ...) and the
--                     keys of the actions other than driving
--   "results"         the results screen's buttons
--   "keys"            the keys pressed ("key_down": scan code, action)
--   "enemies"         the mission's enemies that die ("enemy_death")
--   "rivalN"          the opponent's car of grid slot N: its start, its
--                     end and what hits it

local CIRCUITS = { "level1", "level2" }
-- The packs the game's data comes in: the host will not start without them.
RequiredPacks = { "meshes.pak", "textures.pak", "sounds.pak" }
local LAPS = 3
local DEFAULT_PROFILE = "Sample"
-- What a new profile starts with, to spend in the shop.
local START_MONEY = 1500
-- Prize money by the place the race reports.
local PRIZES = { ["1st"] = 1000, ["2nd"] = 600, ["3rd"] = 300 }
-- Music tracks in Data\Music: one loops under the menus, one in the race.
local MENU_MUSIC = "menu.wav"
local RACE_MUSIC = "race.wav"

local game = {
    state = "menu", -- "menu", "profile", "shop", "race", "results"
    circuit = 1,    -- index into CIRCUITS of the next race
    place = nil,    -- "1st", "2nd", "3rd" once the race names one
    lost = false,
    money = 0,
    shots = 0,      -- times the player pulled the trigger this race
}

-- What the display's object reads and writes every frame is kept in
-- locals rather than in the game's table, where each read is a lookup.
-- The race has said "game_over"; it ends once its place is read.
local raceOver = false
-- The seconds the race has run.
local raceTime = 0

-- What the frames call over and over, looked up once here rather than in
-- the globals at every call.
local floor, sqrt, max, abs, format = math.floor, math.sqrt, math.max, math.abs, string.format
local ipairs, pairs, tonumber, unpack = ipairs, pairs, tonumber, unpack
local GetDeltaTime, UpdateInterface = GetDeltaTime, UpdateInterface
local GetPosition, GetPlayerDirection, SetWeaponPos = GetPosition, GetPlayerDirection, SetWeaponPos
local DrawDynamicObject, GetBonusesCount, IsEnemySourceNear = DrawDynamicObject, GetBonusesCount, IsEnemySourceNear
local NearestInSights, SetTimeText = NearestInSights, SetTimeText
local GetCurrentRound, GetRoundsNumber = GetCurrentRound, GetRoundsNumber
local GetPlayerSpeed, SetPlayersPanel = GetPlayerSpeed, SetPlayersPanel
local SetNextCommand, GetBonusList = SetNextCommand, GetBonusList
-- GetCurrentCommand, GetCurrentParams and SetText are read from the
-- globals at each call (a command at most, a changed text), so that what
-- wraps them later, as a listener that counts the commands, sees them all.

local screens = {}

-- The objects of the screens by the state that shows them ("profile",
-- "shop", "menu", "results"). Each draws its screen every frame of its
-- state and does nothing else but answer commands, so in the other states
-- it steps only in the frames that bring it some.
local screenObjects = {}

-- Whether the state is "race", which the race's objects ask every frame.
local racing = false

local function setState(state)
    game.state = state
    racing = state == "race"
    for shownIn, object in pairs(screenObjects) do
        StepOnCommands(object, shownIn ~= state)
    end
end

local function screenObject(name, category, shownIn, step)
    screenObjects[shownIn] = CreateScriptObject(name, category, step, game.state ~= shownIn)
end

-- Calls a binding the running build may lack, so that a missing one is
-- reported once instead of stopping the script object that called it.
local missing = {}
local function call(name, ...)
    local f = _G[name]
    if type(f) ~= "function" then
        if not missing[name] then
            missing[name] = true
            print("script: the binding " .. name .. " is missing")
        end
        return nil
    end
    return f(...)
end

-- Each object works through the commands queued for it with the loop
--   while SetNextCommand(self) do
--       onCommand(GetCurrentCommand(self), GetCurrentParams(self))
--   end
-- written out in its step rather than behind a helper: sixteen objects
-- run it every frame, mostly to find their queue empty. Each object's
-- handler is made once, beside it, rather than as a new function every
-- frame.

local function show(name)
    for other, screen in pairs(screens) do
        if other ~= name then
            DeactivateInterface(screen)
        end
    end
    if screens[name] then
        ActivateInterface(screens[name])
    end
end

-- A race time as the display shows it (SetTimeText), for the messages.
local function formatTime(seconds)
    local hundredths = floor(seconds * 100 + 0.5)
    return format("%d:%02d.%02d", floor(hundredths / 6000), floor(hundredths / 100) % 60, hundredths % 100)
end

-- The money is kept in the save as the profile's points.
local function setMoney(amount)
    game.money = amount
    SetMoney(amount)
    SetPoints(floor(amount))
end

-- Profiles ------------------------------------------------------------------

local function profileLine()
    local name = GetProfileName()
    if name == "" then
        name = "none"
    end
    return format("Profile %s  money %d", name, floor(GetMoney()))
end

local function refreshMenu()
    if screens.menu then
        SetText(screens.menu, "profile_name", profileLine())
    end
end

-- A profile for whoever starts a race without choosing one.
local function ensureProfile()
    if GetProfileName() ~= "" then
        return
    end
    SetProfileName(DEFAULT_PROFILE)
    setMoney(START_MONEY)
end

local profiles = { chosen = 1 }

local function refreshProfiles()
    local screen = screens.profile
    local _, names = GetSaves()
    profiles.names = names
    for slot = 1, 6 do
        local name = names[slot]
        SetText(screen, "slot" .. slot .. "_text", name ~= "" and (slot .. " " .. name) or (slot .. " free"))
    end
    SetText(screen, "chosen", "Slot " .. profiles.chosen)
end

local function saveName(slot)
    return format("save%d.sav", slot - 1)
end

local function newProfile()
    local name = "Driver" .. profiles.chosen
    SetProfileName(name)
    SetPlayerName(name)
    InitPlayer()
    setMoney(START_MONEY)
    SetNumRacesPassed(0)
    game.circuit = 1
    -- The first free slot takes it.
    SaveGame()
    print(format("script: new profile %s, money %d", name, START_MONEY))
end

local function loadProfile()
    local name = profiles.names and profiles.names[profiles.chosen] or ""
    if name == "" then
        return
    end
    LoadGame(saveName(profiles.chosen))
    InitPlayer()
    setMoney(GetPoints())
    game.circuit = 1
    print(format("script: profile %s loaded, money %d, races %d", GetProfileName(), GetPoints(),
        GetNumRacesPassed()))
end

local function deleteProfile()
    DeleteSave(saveName(profiles.chosen))
    print("script: slot " .. profiles.chosen .. " deleted")
end

local function openProfiles()
    setState("profile")
    screens.profile = screens.profile or CreateInterface("profile", 0)
    refreshProfiles()
    show("profile")
end

local function backToMenu()
    setState("menu")
    refreshMenu()
    show("menu")
end

local function onProfileCommand(command, p1)
    if command ~= "button" or game.state ~= "profile" then
        return
    end
    local slot = tonumber(string.match(p1 or "", "^slot(%d)$"))
    if slot then
        profiles.chosen = slot
    elseif p1 == "new" then
        newProfile()
    elseif p1 == "load" then
        loadProfile()
    elseif p1 == "delete" then
        deleteProfile()
    elseif p1 == "back" then
        backToMenu()
        return
    end
    refreshProfiles()
end

screenObject("profile", "menu", "profile", function(self)
    while SetNextCommand(self) do
        onProfileCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
    if game.state == "profile" and screens.profile then
        UpdateInterface(screens.profile)
    end
end)

-- Shop ----------------------------------------------------------------------

-- Every item on offer, of every kind, with its price and texts; fitting
-- one writes it into the car's configuration (the order of GetCarInfo:
-- weapons 1 to 3, equipment 1 and 2, bumper, engine, armour, super weapon,
-- its count, mine).
local shop = { index = 1, items = {} }

local function carInfo()
    return { GetCarInfo() }
end

local KINDS = {
    { list = "GetWeaponNames", info = "GetWeaponInfo", fit = function(car, key)
        for slot = 1, 3 do
            if car[slot] == "" then
                car[slot] = key
                return true
            end
        end
        return false
    end },
    { list = "GetSuperWeaponNames", info = "GetSuperWeaponInfo", fit = function(car, key)
        car[9] = key
        car[10] = car[10] + 1
        return true
    end },
    { list = "GetMineNames", info = "GetMineInfo", fit = function(car, key)
        car[11] = key
        return true
    end },
    { list = "GetArmorNames", info = "GetArmorInfo", fit = function(car, key)
        car[8] = key
        return true
    end },
    { list = "GetBumperNames", info = "GetBumperInfo", fit = function(car, key)
        car[6] = key
        return true
    end },
    { list = "GetEngineNames", info = "GetEngineInfo", fit = function(car, key)
        car[7] = key
        return true
    end },
    { list = "GetEquipmentNames", info = "GetEquipmentInfo", fit = function(car, key)
        for slot = 4, 5 do
            if car[slot] == "" then
                car[slot] = key
                return true
            end
        end
        return false
    end },
}

local function collectItems()
    local items = {}
    for _, kind in ipairs(KINDS) do
        local count, names = call(kind.list)
        for i = 1, (count or 0) do
            local info = { call(kind.info, names[i]) }
            -- The name text first, the price second, the description text
            -- and the first mission last.
            items[#items + 1] = { kind = kind, key = names[i], name = info[1], price = info[2],
                text = info[#info - 1] }
        end
    end
    return items
end

local function fittedLine()
    local car = carInfo()
    local parts = {}
    for i = 1, 9 do
        if car[i] ~= "" then
            parts[#parts + 1] = car[i]
        end
    end
    if car[11] ~= "" then
        parts[#parts + 1] = car[11]
    end
    return "Car: " .. (#parts > 0 and table.concat(parts, " ") or "nothing") .. "  bombs " .. car[10]
end

local function refreshShop(message)
    local screen = screens.shop
    shop.items = collectItems()
    if shop.index > #shop.items then
        shop.index = max(1, #shop.items)
    end
    local item = shop.items[shop.index]
    SetText(screen, "money", format("Money %d", floor(GetMoney())))
    SetText(screen, "item", item and format("%d/%d %s", shop.index, #shop.items, item.name) or "Sold out")
    SetText(screen, "price", item and format("Price %d", item.price) or "")
    SetText(screen, "text", item and item.text or "")
    SetText(screen, "fitted", fittedLine())
    SetText(screen, "message", message or "")
end

local function buy()
    local item = shop.items[shop.index]
    if not item then
        return "Nothing to buy"
    end
    local money = GetMoney()
    if money < item.price then
        return "Not enough money"
    end
    local car = carInfo()
    if not item.kind.fit(car, item.key) then
        return "No room on the car"
    end
    SetCarInfo(unpack(car))
    CommitCarSettings()
    setMoney(money - item.price)
    -- The profile keeps the money spent.
    SaveGame()
    print(format("script: bought %s for %d, money %d", item.key, item.price, floor(GetMoney())))
    return "Bought " .. item.name
end

local function openShop()
    ensureProfile()
    setState("shop")
    screens.shop = screens.shop or CreateInterface("shop", 0)
    refreshShop()
    show("shop")
end

local function onShopCommand(command, p1)
    if command ~= "button" or game.state ~= "shop" then
        return
    end
    local message = nil
    if p1 == "prev" then
        shop.index = shop.index > 1 and shop.index - 1 or #shop.items
    elseif p1 == "next" then
        shop.index = shop.index < #shop.items and shop.index + 1 or 1
    elseif p1 == "buy" then
        message = buy()
    elseif p1 == "back" then
        backToMenu()
        return
    end
    refreshShop(message)
end

screenObject("shop", "menu", "shop", function(self)
    while SetNextCommand(self) do
        onShopCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
    if game.state == "shop" and screens.shop then
        UpdateInterface(screens.shop)
    end
end)

-- Repair boxes on the driving line, handed to the race's bonus list: the
-- car that drives over one picks it up, and the race tells "main". The
-- first cars take the first boxes; there are enough for the field.
local BONUS_LINES = { 20, 55, 90, 125, 160, 195, 230, 265 }

-- The box of each line, by the line; the script keeps it when a car takes
-- it off the track, and puts the same box back each time the player's car
-- starts a lap, so the boxes ahead of it lie there again.
local boxes = {}
-- The player's lap the boxes were last put back for.
local boxesLap = nil
-- The boxes lying on the track as the race lists them, drawn every frame.
-- The list is read again only when it may have changed: when its length
-- differs (a car took a box) or the script put boxes down itself.
local lyingBoxes = {}
local lyingCount = -1

local function placeBonuses()
    ClearBonuses()
    boxes = {}
    boxesLap = nil
    lyingCount = -1
    for _, line in ipairs(BONUS_LINES) do
        local x, y, z = GetSplineLinePoint(line)
        local bonus = x and LoadRenderObject("bonus_remont.rdf", 0)
        if bonus then
            SetPosition(bonus, x, y, z)
            AddBonus(bonus, 1)
            boxes[line] = bonus
        end
    end
end

-- The boxes taken go back on their lines.
local function restockBonuses()
    local lying = {}
    for _, entry in ipairs(GetBonusList()) do
        lying[entry[1]] = true
    end
    for _, line in ipairs(BONUS_LINES) do
        local bonus = boxes[line]
        if bonus and not lying[bonus] then
            AddBonus(bonus, 1)
        end
    end
    lyingCount = -1
end

local function readLyingBonuses()
    local list = GetBonusList()
    for i = 1, max(#list, lyingCount) do
        lyingBoxes[i] = list[i] and list[i][1]
    end
    lyingCount = #list
end

-- Menu -------------------------------------------------------------------

local playerCar = nil
-- The opponents' cars by grid slot, as their scripts learn them.
local rivals = {}
-- The wrecked cars, each with the seconds until it is put back and the
-- health it comes back with, in the order they fell.
local wrecks = {}
-- What each rival's health has lost since it was last whole and the
-- seconds since its last hit, by its car.
local wear = {}
-- The same wear by the rival's grid slot, which the wear's object walks
-- every frame.
local slotWear = {}
-- False only while no rival has lost anything: the wear's object has
-- nothing to look at then.
local someWorn = false
-- The enemies the race has come near: where the game told of a source of
-- the mission's enemies as the player's car drew near. One that died is
-- kept, marked, so the source still near is not taken for a live one.
local enemies = {}

local function startRace()
    if game.state ~= "menu" then
        return
    end
    ensureProfile()
    local level = CIRCUITS[game.circuit]
    -- The last race's laps, places and bonuses are not this one's.
    ClearGameData()
    SetNumRounds(LAPS)
    -- Opponents past the fifth are driven by the traffic drivers, as many
    -- as asked for here.
    SetLevelTransportCount(2)
    call("InitLevel", level, false)
    call("LoadMissionInfo", level .. ".mis")
    call("StartLevel")
    -- The race is under way: the cars' engines sound and the checkpoints'
    -- time limits count.
    SetLevelStarted(true)
    placeBonuses()
    SetUpdateTime(true)
    PlayMusic(RACE_MUSIC)
    -- The keys bound in Actions.cfg drive the car while the race runs.
    SetActions(true)
    setState("race")
    raceTime = 0
    game.place = nil
    game.lost = false
    raceOver = false
    game.shots = 0
    rivals = {}
    wrecks = {}
    wear = {}
    slotWear = {}
    enemies = {}
    screens.hud = screens.hud or CreateInterface("hud", 0)
    -- Loaded with the race, hidden, so that its end does not read a file.
    screens.results = screens.results or CreateInterface("results", 0)
    show("hud")
    print("script: race on " .. level .. ", " .. LAPS .. " laps")
end

-- Exit ends every task: with nothing left to run the game is over.
local function exitGame()
    print("script: exit")
    KillAllTasks()
end

local function onMenuCommand(command, p1)
    if command == "button" then
        if game.state ~= "menu" then
            return
        end
        if p1 == "start" then
            startRace()
        elseif p1 == "profile" then
            openProfiles()
        elseif p1 == "shop" then
            openShop()
        elseif p1 == "exit" then
            exitGame()
        end
    elseif command == "set_money" or command == "change_money" then
        game.money = tonumber(p1) or game.money
        refreshMenu()
    elseif command == "init_game_interface" then
        InitGameInterface(screens.hud)
    elseif command == "update_game_interface" then
        UpdateGameInterface(screens.hud)
    end
end

screenObject("gamemenu", "menu", "menu", function(self)
    while SetNextCommand(self) do
        onMenuCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
    if game.state == "menu" and screens.menu then
        UpdateInterface(screens.menu)
    end
end)

-- Heads-up display ---------------------------------------------------------

-- Texts are laid out again only when they change.
local shown = {}
local function setText(screen, name, text)
    if shown[name] ~= text then
        shown[name] = text
        SetText(screen, name, text)
    end
end

-- What the display's texts were last made of, compared every frame: a
-- text is made and set again only when these change.
local shownLap, shownRounds, shownSpeed, shownPlace, shownMessage

-- The message the display shows, and the seconds it has left.
local message, messageTime = "", 0

local function say(text)
    message = text
    messageTime = 3
end

local ORDINALS = { "1st", "2nd", "3rd", "4th", "5th", "6th" }

-- The game's ranking of the player and the first five opponents, last
-- place first, filled anew every frame in the same table.
local panel = {}

local MESSAGES = {
    ["finish!"] = "Finish!",
    ["lost!"] = "Race lost",
    ["posledniy_krug!"] = "Last lap",
    ["krug_proiden!"] = "Lap done",
    ["remont!"] = "Repaired",
    ["uskorenie!"] = "Speed up",
    ["zamedlenie!"] = "Slowed down",
    ["sposobnost-1!"] = "Ability -1",
    ["sposobnost+1!"] = "Ability +1",
    ["uron_x2!"] = "Double damage",
}

-- The end of the race (below), which the display's object calls.
local endRace

local function onDisplayCommand(command, p1, p2, p3)
    if command == "place" then
        game.place = p1
    elseif command == "show_message" then
        say(MESSAGES[p1] or p1)
    elseif command == "checkpoint" then
        say(p1 == "timeout!" and "Time out" or "Checkpoint")
        print("script: checkpoint " .. tostring(p1))
    elseif command == "bonus_points" then
        say(format("%s +%.1f", p2 or "time", tonumber(p3) or 0))
    end
end

CreateScriptObject("game_interface", "", function(self)
    while SetNextCommand(self) do
        -- The race sends the bend arrows' direction every frame, which
        -- this display does not show: its parameters are not read.
        local command = GetCurrentCommand(self)
        if command ~= "update_arrows" then
            onDisplayCommand(command, GetCurrentParams(self))
        end
    end
    -- The race sends the player's place and then "game_over" to "jeep" in
    -- the same frame; the race ends once the place has been read here,
    -- whichever of the two objects works through its commands first.
    if raceOver then
        endRace()
    end
    local hud = screens.hud
    if not racing or not hud then
        return
    end
    local dt = GetDeltaTime()
    raceTime = raceTime + dt
    local rounds = GetRoundsNumber()
    local lap = GetCurrentRound()
    if rounds < lap then
        lap = rounds
    end
    -- The texts' checks are written out here rather than called: most
    -- frames change the time alone, which SetTimeText shows without making
    -- a new string for it.
    if shownLap ~= lap or shownRounds ~= rounds then
        shownLap, shownRounds = lap, rounds
        setText(hud, "lap", format("Lap %d/%d", lap, rounds))
    end
    SetTimeText(hud, "time", raceTime)
    local speed = floor(GetPlayerSpeed() * 3.6)
    if shownSpeed ~= speed then
        shownSpeed = speed
        setText(hud, "speed", format("%3d km/h", speed))
    end
    -- The player's place so far, until the race names one. The player is
    -- in the panel once, and mostly near the front of the race, where the
    -- search starts.
    local place = game.place
    if not place then
        place = ""
        if SetPlayersPanel(panel) then
            local count = #panel
            for i = count, 1, -1 do
                if panel[i] == "10" then
                    place = ORDINALS[count - i + 1] or ""
                    break
                end
            end
        end
    end
    if shownPlace ~= place then
        shownPlace = place
        setText(hud, "place", place)
    end
    messageTime = messageTime - dt
    local text = messageTime > 0 and message or ""
    if shownMessage ~= text then
        shownMessage = text
        setText(hud, "message", text)
    end
    UpdateInterface(hud)
end)

-- The end of the race ---------------------------------------------------------

local function showResults(prize, saved)
    local results = screens.results
    local title = game.place and ("Place " .. game.place) or "Race lost"
    SetText(results, "title", format("%s  prize %d  money %d%s", title, prize, floor(game.money),
        saved and "" or "  NOT SAVED"))
    local count, times = UpdateRoundsTime()
    -- Every round reached is flagged, the one under way too: only those
    -- before it are finished laps (a race lost mid-lap shows no time for
    -- the lap it was lost in).
    local reached = 0
    while times and times[4 * (reached + 1)] do
        reached = reached + 1
    end
    for lap = 1, 8 do
        local k = 4 * lap - 3
        local done = lap <= LAPS and lap < reached
        SetText(results, "place" .. lap, done and tostring(lap) or "")
        SetText(results, "name" .. lap, done and "Lap" or "")
        SetText(results, "time" .. lap,
            done and format("%d:%02d.%02d", times[k], times[k + 1], times[k + 2]) or "")
    end
    show("results")
end

function endRace()
    raceOver = false
    if game.state ~= "race" then
        return
    end
    setState("results")
    SetActions(false)
    -- The results are shown in quiet.
    StopPlayingMusic()
    if playerCar then
        SetShot(playerCar, false)
    end
    local prize = (not game.lost and game.place) and PRIZES[game.place] or 0
    setMoney(GetMoney() + prize)
    SetNumRacesPassed(GetNumRacesPassed() + 1)
    -- The best lap goes into the circuit's table of best times, which is
    -- kept beside the saves.
    CheckPlayerRecords(game.circuit)
    SaveScore()
    local saved = SaveGame()
    print(format("script: race over, place %s, prize %d, money %.2f, shots %d, %s",
        game.place or "none", prize, game.money, game.shots,
        saved and "profile saved" or "the profile could not be saved"))
    showResults(prize, saved)
end

-- The enemies the race has come near are those of this group of the
-- mission's sources (the second column of its "sources" lines).
local ENEMY_GROUP = "1"

local function sameSpot(enemy, x, y)
    return abs(enemy.x - x) < 1 and abs(enemy.y - y) < 1
end

-- With a source of the group near.
local function watchEnemySource()
    local kind, fromSource, x, y = GetEnemyType(tonumber(ENEMY_GROUP), false)
    if not fromSource or kind == "" then
        return
    end
    for _, enemy in ipairs(enemies) do
        if sameSpot(enemy, x, y) then
            return
        end
    end
    table.insert(enemies, { kind = kind, x = x, y = y })
end

-- The player's guns turn to the nearest enemy in the sights ahead, within
-- the guns' reach, or else to the nearest opponent's car there, and to the
-- road ahead when there is none. A car aimed at is handed on as the
-- target, so the guns take the height of its middle; the rockets are
-- lobbed to come down on it. An enemy standing on the road's edge swings
-- out of a narrow sight as the car comes near, so the guns look wider for
-- enemies than for the cars on the road ahead.
local AIM_REACH = 60
local SIGHTS = 0.94 -- the cosine of the sights' half angle for cars, 20 degrees
local ENEMY_SIGHTS = 0.7 -- and for enemies, 45 degrees

-- A target at (tx, ty) is in the sights of the car at (x, y), heading
-- (dx, dy), when, with (ox, oy) = (tx - x, ty - y) and distance its
-- length, distance > 0 and (ox * dx + oy * dy) / distance >= sights. The
-- aim is worked out every frame, in plain numbers: for the enemies in the
-- loop below rather than called for each of them, and for the cars by
-- NearestInSights, which makes the same search through them in one call
-- where the loop would call GetPosition for each. A target behind the car
-- (a dot product not above 0) or more than twice the best distance away
-- (its square above four times the best's) fails that test whatever its
-- length, which is then not worked out.
local GRID_SLOTS = 7

local function aimPlayersGuns()
    local x, y, z = GetPosition(playerCar)
    local dx, dy = GetPlayerDirection()
    if not dx then
        return
    end
    local best = AIM_REACH
    local aimed, ax, ay, az, target = false, nil, nil, nil, nil
    for i = 1, #enemies do
        local enemy = enemies[i]
        if not enemy.dead then
            local ex, ey = enemy.x, enemy.y
            local ox, oy = ex - x, ey - y
            local along = ox * dx + oy * dy
            if along > 0 then
                local square = ox * ox + oy * oy
                if square < 4 * best * best then
                    local distance = sqrt(square)
                    if distance > 0 and distance < best and along / distance >= ENEMY_SIGHTS then
                        best, aimed, ax, ay, az, target = distance, true, ex, ey, z + 1, nil
                    end
                end
            end
        end
    end
    if not aimed then
        -- By grid slot: of two cars as near, the lower slot is aimed at.
        local distance, cx, cy, cz, car = NearestInSights(x, y, dx, dy, best, SIGHTS, rivals, GRID_SLOTS)
        if distance then
            aimed, ax, ay, az, target = true, cx, cy, cz + 1, car
        end
    end
    if not aimed then
        ax, ay, az, target = x + dx * AIM_REACH, y + dy * AIM_REACH, z + 1, nil
    end
    SetWeaponPos(ax, ay, az, target)
end

-- An enemy's death ("enemy_death" to the category "level": its name and
-- where it fell) is counted and the guns leave it.
local function onEnemyCommand(command, name, x, y)
    if command ~= "enemy_death" then
        return
    end
    x, y = tonumber(x) or 0, tonumber(y) or 0
    for _, enemy in ipairs(enemies) do
        if sameSpot(enemy, x, y) then
            enemy.dead = true
        end
    end
    print(format("script: enemy %s killed", tostring(name)))
end

CreateScriptObject("enemies", "level", function(self)
    while SetNextCommand(self) do
        onEnemyCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
end, true)

-- Wrecks. "player_dead" goes to every "main" object whichever car's health
-- ran out, so the car's own object learns it from DamagePlayer's answer
-- (false once nothing is left). The wreck is blown off the road, and
-- WRECK_TIME later put back on it, whole again, to race on behind.
-- A rival left unhit for MEND_TIME seconds is whole again: a stray hit now
-- and then wears it down for a while only, and it takes a good burst of
-- the player's gun (ten shots a second of 6 each) or a rocket or two to
-- wreck one. It is mended at once rather than a little every frame, as
-- each change of health also updates the display.
local FULL_HEALTH = 100000
local RIVAL_HEALTH = 60
local MEND_TIME = 3
local WRECK_TIME = 3
local WRECK_LIFT = 9 -- metres a second upwards

local function isWrecked(car)
    for i = 1, #wrecks do
        if wrecks[i].car == car then
            return true
        end
    end
    return false
end

local function hurt(car, amount, health, name)
    local worn = wear[car]
    if worn then
        worn.lost = worn.lost + amount
        worn.quiet = 0
        someWorn = true
    end
    if DamagePlayer(car, amount) or isWrecked(car) then
        return
    end
    local x, y, z = GetPosition(car)
    Explosion("rocket_exp2", x, y, z)
    ApplyImpulse(car, 0, 0, GetPlayerMass(car) * WRECK_LIFT)
    -- In the order they fell, so a seeded race puts them back alike.
    table.insert(wrecks, { car = car, time = WRECK_TIME, health = health })
    print("script: " .. name .. " wrecked at " .. formatTime(raceTime))
end

local function putBackWrecks(dt)
    for i = #wrecks, 1, -1 do
        local wreck = wrecks[i]
        wreck.time = wreck.time - dt
        if wreck.time <= 0 then
            table.remove(wrecks, i)
            Spawn(wreck.car)
            -- Its health is what the race gave it: a negative damage heals.
            DamagePlayer(wreck.car, -wreck.health)
            if wear[wreck.car] then
                wear[wreck.car].lost = 0
            end
        end
    end
end

-- The car's wear is worn, something lost.
local function mend(car, worn, dt)
    if isWrecked(car) then
        return
    end
    worn.quiet = worn.quiet + dt
    if worn.quiet >= MEND_TIME then
        DamagePlayer(car, -worn.lost)
        worn.lost = 0
    end
end

-- The player's car is this object's: its scene file names "jeep" as its
-- script, so its start in the race tells us its address, and we hand it
-- to every frame's scene until it leaves.
local function selectFirstWeapon(car)
    local weapons = 0
    local info = { GetRealCarInfo() }
    for slot = 1, 3 do
        if info[slot] ~= "" then
            weapons = weapons + 1
        end
    end
    if weapons > 1 then
        -- Back past the first weapon and on to it again.
        SetPrevWeapon(car)
    end
    SetNextWeapon(car)
end

local function onJeepCommand(command, p1)
    if command == "game_over" then
        raceOver = true
    elseif command == "add_object" then
        playerCar = StringToPointer(p1)
        enemies = {}
        selectFirstWeapon(playerCar)
    elseif command == "delete_object" then
        playerCar = nil
    elseif command == "damage" and playerCar then
        hurt(playerCar, tonumber(p1) or 0, FULL_HEALTH, "the player's car")
    end
end

CreateScriptObject("jeep", "", function(self)
    while SetNextCommand(self) do
        onJeepCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
    if not playerCar then
        return
    end
    DrawDynamicObject(playerCar)
    if racing then
        -- What runs every frame of the race is written out here rather
        -- than called, but for what runs only now and then.
        if #wrecks > 0 then
            putBackWrecks(GetDeltaTime())
        end
        -- The boxes taken go back as the player's car starts a lap.
        local lap = GetCurrentRound()
        if boxesLap and lap ~= boxesLap then
            restockBonuses()
        end
        boxesLap = lap
        if IsEnemySourceNear(false, ENEMY_GROUP) then
            watchEnemySource()
        end
        aimPlayersGuns()
        -- The bonuses not yet picked up.
        if GetBonusesCount() ~= lyingCount then
            readLyingBonuses()
        end
        if lyingCount > 0 then
            DrawDynamicObject(unpack(lyingBoxes, 1, lyingCount))
        end
    end
end)

-- Each opponent's car belongs to "rivalN" (N its grid slot): it is armed
-- with the first weapon as the race starts, and what hits it hurts it.
for slot = 1, GRID_SLOTS do
    local function onRivalCommand(command, p1)
        local car = rivals[slot]
        if command == "add_object" then
            car = StringToPointer(p1)
            rivals[slot] = car
            SetNextWeapon(car)
            -- A car comes to the race with far more health than any race
            -- wears down; a rival keeps only RIVAL_HEALTH of it.
            DamagePlayer(car, FULL_HEALTH - RIVAL_HEALTH)
            local worn = { lost = 0, quiet = 0 }
            wear[car] = worn
            slotWear[slot] = worn
        elseif command == "delete_object" then
            rivals[slot] = nil
            slotWear[slot] = nil
            if car then
                wear[car] = nil
            end
            for i = #wrecks, 1, -1 do
                if wrecks[i].car == car then
                    table.remove(wrecks, i)
                end
            end
        elseif command == "damage" and car then
            hurt(car, tonumber(p1) or 0, RIVAL_HEALTH, "rival" .. slot)
        end
    end

    CreateScriptObject("rival" .. slot, "", function(self)
        while SetNextCommand(self) do
            onRivalCommand(GetCurrentCommand(self), GetCurrentParams(self))
        end
    end, true)
end

-- The rivals' wear is mended here, after every rival has heard its
-- commands, rather than in each rival's own object: those then run only in
-- the frames that bring them commands. A rival's mending touches its own
-- car alone, as what the others hear touches theirs.
CreateScriptObject("wear", "", function(self)
    if not someWorn or not racing then
        return
    end
    local still, dt = false, nil
    for slot = 1, GRID_SLOTS do
        -- Most rivals are whole, and the frame's time is not needed.
        local worn = slotWear[slot]
        if worn and not (worn.lost <= 0) then
            dt = dt or GetDeltaTime()
            mend(rivals[slot], worn, dt)
            still = still or not (worn.lost <= 0)
        end
    end
    someWorn = still
end)

-- The game's messages and the keys of the actions ----------------------------

local ACTIONS = {
    fire = function(down)
        SetShot(playerCar, down)
        if down then
            game.shots = game.shots + 1
        end
    end,
    next_weapon = function(down)
        if down then
            SetNextWeapon(playerCar)
        end
    end,
    super = function(down)
        if down then
            SmartBomb()
            print("script: super weapon")
        end
    end,
    mine = function(down)
        SetMineShot(playerCar, down)
        if down then
            print("script: mine")
        end
    end,
}

local function onMainCommand(command, p1)
    -- "player_dead" tells of any car's wreck, which the car's own object
    -- handles; the player's wreck is put back and races on.
    if command == "level_failed" or command == "defeat" then
        game.lost = true
        say("Race lost")
        endRace()
    elseif (command == "action_down" or command == "action_up") and game.state == "race" and playerCar then
        local act = ACTIONS[p1]
        if act then
            act(command == "action_down")
        end
    elseif command == "update_bonus_list" then
        print("script: bonus " .. tostring(p1))
    end
end

CreateScriptObject("main", "main", function(self)
    while SetNextCommand(self) do
        onMainCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
end, true)

-- The results: Continue goes on to the next circuit, or back to the menu
-- after the last; Menu goes back at once.
local function leaveRace()
    playerCar = nil
    ClearBonuses()
    call("StopLevel")
    call("DeleteLevel")
end

-- Back to the main menu from the race or its results, the circuits from
-- the first again.
local function quitRace()
    SetActions(false)
    leaveRace()
    game.circuit = 1
    backToMenu()
    PlayMusic(MENU_MUSIC)
end

local function onResultsCommand(command, p1)
    if command ~= "button" or game.state ~= "results" then
        return
    end
    if p1 == "continue" then
        leaveRace()
        setState("menu")
        game.circuit = game.circuit + 1
        if game.circuit <= #CIRCUITS and IsFileExists("Data\\Levels\\" .. CIRCUITS[game.circuit] .. ".lvl") then
            startRace()
        else
            game.circuit = 1
            backToMenu()
            PlayMusic(MENU_MUSIC)
        end
    elseif p1 == "menu" then
        quitRace()
    end
end

screenObject("results", "", "results", function(self)
    while SetNextCommand(self) do
        onResultsCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
    if game.state == "results" and screens.results then
        UpdateInterface(screens.results)
    end
end)

-- Escape (the "menu" action of Actions.cfg) leaves the race or its results
-- for the main menu, the profiles and the shop for the main menu too, and
-- the main menu for the desktop.
local function onKeyCommand(command, code, action)
    if command ~= "key_down" or action ~= "menu" then
        return
    end
    if game.state == "menu" then
        exitGame()
    elseif game.state == "race" or game.state == "results" then
        quitRace()
    else
        backToMenu()
    end
end

CreateScriptObject("keys", "interface", function(self)
    while SetNextCommand(self) do
        onKeyCommand(GetCurrentCommand(self), GetCurrentParams(self))
    end
end, true)

-- The player's starting car; a loaded or new profile fits it again.
InitPlayer()
-- The screens' owners exist now, so the menu can be built and shown.
screens.menu = CreateInterface("mainmenu", 0)
refreshMenu()
show("menu")
PlayMusic(MENU_MUSIC)
