@echo off
rem TARVEX 一步安装：把 TARVEX.dll 复制到大智慧主程序目录，然后检查安装。
rem 检查只有 [错误]（TARVEX 整个用不了，或 TARVEX.ini 里设好的功能用不了）时
rem 才算失败（退出码 1）；[注意] 只影响它点名的函数，照样说"装好了"。
rem 用法：双击运行；或者 安装.bat 大智慧目录（给了目录就不提问，最后也不暂停）。
rem 它从不覆盖已有的 TARVEX.ini；换掉旧的 TARVEX.dll 之前先把它存为
rem TARVEX.dll.bak（已有时 .bak2、.bak3 …）。路径里可能有括号，所以下面
rem 不在括号块里用路径变量。
setlocal
set "here=%~dp0"
rem 从压缩包查看器里直接双击时，旁边的文件还没有解压出来。
if not exist "%here%harness.exe" goto not_unpacked
set "host=%~1"
set "asked="
if not "%host%"=="" goto have_host

rem 常见的大智慧安装目录：有 userdata\block 的第一个当默认值。
for %%d in ("C:\dzh365" "D:\dzh365" "C:\dzh2" "D:\dzh2" "C:\dzh" "D:\dzh" "%ProgramFiles%\dzh365" "%ProgramFiles%\dzh2") do call :try "%%~d"
set "asked=1"
echo 请输入大智慧主程序目录（放着大智慧的 exe 和 data、userdata 目录的那个目录）。
if not "%host%"=="" echo 直接回车就用找到的 %host%
set "found=%host%"
set "host="
set /p "host=大智慧目录："
if "%host%"=="" set "host=%found%"

:have_host
if "%host%"=="" goto no_host
if "%host:~-1%"=="\" set "host=%host:~0,-1%"
if not exist "%host%\" goto bad_host
if not exist "%here%TARVEX.dll" goto no_dll

rem 旧的 TARVEX.dll：内容一样就不动，不一样就先留一份再换。
if not exist "%host%\TARVEX.dll" goto copy_dll
"%here%harness.exe" same "%here%TARVEX.dll" "%host%\TARVEX.dll"
if errorlevel 1 goto backup
echo TARVEX.dll 已经是这个版本，不用换。
goto ini
:backup
set "bak=%host%\TARVEX.dll.bak"
set n=1
:next_bak
if not exist "%bak%" goto keep_old
set /a n+=1
set "bak=%host%\TARVEX.dll.bak%n%"
goto next_bak
:keep_old
copy /b "%host%\TARVEX.dll" "%bak%" >nul
if errorlevel 1 goto no_backup
echo 旧的 TARVEX.dll 存为 %bak%
:copy_dll
copy /y /b "%here%TARVEX.dll" "%host%\TARVEX.dll" >nul
if errorlevel 1 goto copy_failed
echo 已复制 TARVEX.dll 到 %host%

:ini
if exist "%host%\TARVEX.ini" goto keep_ini
copy /b "%here%TARVEX.ini" "%host%\TARVEX.ini" >nul
if errorlevel 1 goto check
echo 已复制带注释的示例 TARVEX.ini（里面的键都注释掉了，不改变任何行为）。
goto check
:keep_ini
echo 保留你的 TARVEX.ini，没有改它。

:check
echo.
echo 检查安装：
"%here%harness.exe" doctor --gbk "%host%"
if errorlevel 1 goto doctor_found
echo.
echo 装好了。打开大智慧，在公式里试一下：现在:"TARVEX@systime"(0);
echo 上面标 [注意] 的行只影响它点名的函数，用到那些函数前按"→"后的提示处理。
set status=0
goto done

:not_unpacked
echo 请先解压：把整个压缩包解压到一个文件夹，再双击里面的 安装.bat。
echo 在压缩包里直接运行时，旁边的 TARVEX.dll 和 harness.exe 还没有解压出来。
goto failed
:no_host
echo 没有给出大智慧目录，什么也没有做。
goto failed
:bad_host
echo 目录 %host% 不存在，什么也没有做。
goto failed
:no_dll
echo 安装包里没有 TARVEX.dll：%here%
goto failed
:no_backup
echo 不能把旧的 TARVEX.dll 存为 %bak%，没有换 DLL。
goto failed
:copy_failed
echo 复制 TARVEX.dll 失败：大智慧是不是还开着？请先关掉大智慧再运行安装。
goto failed
:doctor_found
echo.
echo TARVEX.dll 已经复制好，但检查发现了 [错误]：TARVEX 整个用不了，或 TARVEX.ini 里设好的功能用不了。
echo 请按标 [错误] 的行“→”后的提示处理，再运行一次 安装.bat 检查。
goto failed
:failed
set status=1
:done
if defined asked pause
exit /b %status%

rem 找到的第一个有 userdata\block 的目录当默认值。
:try
if not "%host%"=="" goto :eof
if exist "%~1\userdata\block\" set "host=%~1"
goto :eof
