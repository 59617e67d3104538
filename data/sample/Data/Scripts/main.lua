-- Start script of the sample game: the main menu, one race of three laps
-- on level1 against the level's opponents, the heads-up display, the
-- results with the prize money, and the profile saved to a save slot.
--
-- Everything goes through the engine's bindings. The engine talks back
-- with commands queued on named script objects; each object works through
-- its own queue, oldest first, once a frame:
--   "gamemenu"        the menu's buttons, the money, the display's set-up
--   "game_interface"  the heads-up display: places, laps, checkpoints
--   "jeep"            the end of the race ("game_over")
--   "main"            the game's messages ("level_failed", "say_show", ...)
--   "results"         the results screen's buttons

local LEVEL = "level1"
local LAPS = 3
local PROFILE = "Sample"
-- Prize money by the place the race reports.
local PRIZES = { ["1st"] = 1000, ["2nd"] = 600, ["3rd"] = 300 }
-- Music tracks in Data\Music: one loops under the menus, one in the race.
local MENU_MUSIC = "menu.wav"
local RACE_MUSIC = "race.wav"

local game = {
    state = "menu",   -- "menu", "race", "results"
    place = nil,      -- "1st", "2nd", "3rd" once the race names one
    lost = false,
    money = 0,
    raceTime = 0,
    message = "",
    messageTime = 0,
}

local screens = {}

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

-- Works through the commands queued for the object.
local function eachCommand(self, handle)
    while SetNextCommand(self) do
        handle(GetCurrentCommand(self), GetCurrentParams(self))
    end
end

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

local function formatTime(seconds)
    local hundredths = math.floor(seconds * 100 + 0.5)
    return string.format("%d:%02d.%02d", math.floor(hundredths / 6000), math.floor(hundredths / 100) % 60,
        hundredths % 100)
end

-- Repair boxes on the driving line, handed to the race's bonus list: the
-- car that drives over one picks it up, and the race tells "main".
local BONUS_LINES = { 40, 150, 230 }

local function placeBonuses()
    ClearBonuses()
    for _, line in ipairs(BONUS_LINES) do
        local x, y, z = GetSplineLinePoint(line)
        local bonus = x and LoadRenderObject("bonus_remont.rdf", 0)
        if bonus then
            SetPosition(bonus, x, y, z)
            AddBonus(bonus, 1)
        end
    end
end

-- Menu -------------------------------------------------------------------

local function startRace()
    if game.state ~= "menu" then
        return
    end
    SetProfileName(PROFILE)
    SetNumRounds(LAPS)
    -- Opponents past the fifth are driven by the traffic drivers, as many
    -- as asked for here.
    SetLevelTransportCount(2)
    call("InitLevel", LEVEL, false)
    call("StartLevel")
    -- The race is under way: the cars' engines sound and the checkpoints'
    -- time limits count.
    SetLevelStarted(true)
    placeBonuses()
    SetUpdateTime(true)
    PlayMusic(RACE_MUSIC)
    -- The keys bound in Actions.cfg drive the car while the race runs.
    SetActions(true)
    game.state = "race"
    game.raceTime = 0
    -- A race after the first starts afresh.
    game.place = nil
    game.lost = false
    game.messageTime = 0
    screens.hud = screens.hud or CreateInterface("hud", 0)
    show("hud")
    print("script: race on " .. LEVEL .. ", " .. LAPS .. " laps")
end

CreateScriptObject("gamemenu", "menu", function(self)
    eachCommand(self, function(command, p1)
        if command == "button" then
            if p1 == "start" then
                startRace()
            end
        elseif command == "set_money" or command == "change_money" then
            game.money = tonumber(p1) or game.money
        elseif command == "init_game_interface" then
            InitGameInterface(screens.hud)
        elseif command == "update_game_interface" then
            UpdateGameInterface(screens.hud)
        end
    end)
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

local function say(text)
    game.message = text
    game.messageTime = 3
end

local ORDINALS = { "1st", "2nd", "3rd", "4th", "5th", "6th" }

-- The player's place so far, from the game's ranking of the player and the
-- first five opponents, last place first.
local function placeSoFar()
    local panel = SetPlayersPanel()
    if not panel then
        return nil
    end
    for i = 1, #panel do
        if panel[i] == "10" then
            return ORDINALS[#panel - i + 1]
        end
    end
    return nil
end

local MESSAGES = {
    ["finish!"] = "Finish!",
    ["lost!"] = "Race lost",
    ["posledniy_krug!"] = "Last lap",
    ["krug_proiden!"] = "Lap done",
}

CreateScriptObject("game_interface", "", function(self)
    eachCommand(self, function(command, p1, p2, p3)
        if command == "place" then
            game.place = p1
        elseif command == "show_message" then
            say(MESSAGES[p1] or p1)
        elseif command == "checkpoint" then
            say(p1 == "timeout!" and "Time out" or "Checkpoint")
        elseif command == "bonus_points" then
            say(string.format("%s +%.1f", p2 or "time", tonumber(p3) or 0))
        end
    end)
    if game.state ~= "race" or not screens.hud then
        return
    end
    local dt = GetDeltaTime()
    game.raceTime = game.raceTime + dt
    local hud = screens.hud
    local lap = math.min(GetCurrentRound(), GetRoundsNumber())
    setText(hud, "lap", string.format("Lap %d/%d", lap, GetRoundsNumber()))
    setText(hud, "time", formatTime(game.raceTime))
    setText(hud, "speed", string.format("%3d km/h", math.floor(GetPlayerSpeed() * 3.6)))
    setText(hud, "place", game.place or placeSoFar() or "")
    game.messageTime = game.messageTime - dt
    setText(hud, "message", game.messageTime > 0 and game.message or "")
    UpdateInterface(hud)
end)

-- The end of the race ---------------------------------------------------------

local function showResults(prize)
    screens.results = screens.results or CreateInterface("results", 0)
    local results = screens.results
    local title = game.place and ("Place " .. game.place) or "Race lost"
    SetText(results, "title", string.format("%s  prize %d  money %.2f", title, prize, game.money))
    local count, times = UpdateRoundsTime()
    for lap = 1, LAPS do
        local k = 4 * lap - 3
        if times and times[k + 3] then
            SetText(results, "place" .. lap, tostring(lap))
            SetText(results, "name" .. lap, "Lap")
            SetText(results, "time" .. lap, string.format("%d:%02d.%02d", times[k], times[k + 1], times[k + 2]))
        end
    end
    show("results")
end

local function endRace()
    if game.state ~= "race" then
        return
    end
    game.state = "results"
    SetActions(false)
    -- The results are shown in quiet.
    StopPlayingMusic()
    local prize = (not game.lost and game.place) and PRIZES[game.place] or 0
    game.money = GetMoney() + prize
    SetMoney(game.money)
    SetNumRacesPassed(GetNumRacesPassed() + 1)
    -- The save keeps the profile's points: the money goes there.
    SetPoints(math.floor(game.money))
    CheckPlayerRecords(1)
    SaveGame()
    print(string.format("script: race over, place %s, prize %d, money %.2f, profile saved",
        game.place or "none", prize, game.money))
    showResults(prize)
end

-- The player's car is this object's: its scene file names "jeep" as its
-- script, so its start in the race tells us its address, and we hand it
-- to every frame's scene until it leaves.
local playerCar = nil

CreateScriptObject("jeep", "", function(self)
    eachCommand(self, function(command, p1)
        if command == "game_over" then
            endRace()
        elseif command == "add_object" then
            playerCar = StringToPointer(p1)
        elseif command == "delete_object" then
            playerCar = nil
        end
    end)
    if playerCar then
        DrawDynamicObject(playerCar)
    end
    -- The bonuses not yet picked up.
    if game.state == "race" then
        for _, entry in ipairs(GetBonusList()) do
            DrawDynamicObject(entry[1])
        end
    end
end)

CreateScriptObject("main", "main", function(self)
    eachCommand(self, function(command)
        if command == "level_failed" or command == "player_dead" or command == "defeat" then
            game.lost = true
            say("Race lost")
            endRace()
        end
    end)
end)

CreateScriptObject("results", "", function(self)
    eachCommand(self, function(command, p1)
        if command == "button" and p1 == "continue" then
            -- Back to the menu, from which the next race starts.
            ClearBonuses()
            call("StopLevel")
            call("DeleteLevel")
            game.state = "menu"
            show("menu")
            PlayMusic(MENU_MUSIC)
        end
    end)
    if game.state == "results" and screens.results then
        UpdateInterface(screens.results)
    end
end)

-- The screens' owners exist now, so the menu can be built and shown.
screens.menu = CreateInterface("mainmenu", 0)
show("menu")
PlayMusic(MENU_MUSIC)
