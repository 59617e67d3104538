-- Start script of the sample data. It sets up a menu object the way the
-- game's scripts do: a script object that works through the commands sent
-- to it, oldest first, once a frame.

local seconds = 0
local reported = false

CreateScriptObject("gamemenu", "main", function(self)
    seconds = seconds + GetDeltaTime()
    while SetNextCommand(self) do
        local command = GetCurrentCommand(self)
        if command == "set_money" then
            print("gamemenu: money " .. GetCurrentParams(self))
        elseif command == "say_show" then
            print("gamemenu: " .. table.concat({GetCurrentParams(self)}, " / "))
        end
    end
    if seconds >= 1 and not reported then
        reported = true
        print(string.format("gamemenu: %.2f seconds of game time", seconds))
    end
end)

SendCommandByName("gamemenu", "set_money", "1500")
SendCommandByCategory("main", "say_show", 'Corvane,"Sollary, the light side"')
