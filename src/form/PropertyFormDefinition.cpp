// The stored form definition of the property dialog and the components it owns.
#include "form/MainUnit.h"

const char kPropertyFormDefinition[] = R"(object PropertyForm: TPropertyForm
  Left = 213
  Top = 474
  Caption = 'OrvantaBrevoのプロパティ'
  ClientWidth = 415
  ClientHeight = 197
  OnCreate = FormCreate
  object PageControl: TPageControl
    Left = 0
    Top = 0
    Width = 415
    Height = 161
    ActivePage = CDPlayer_TabSheet
    TabOrder = 0
    object CDPlayer_TabSheet: TTabSheet
      Caption = 'CDPlayerの設定'
      object CDDrive_Box: TGroupBox
        Left = 7
        Top = 0
        Width = 394
        Height = 105
        Caption = 'CDドライブの設定'
        object CDDrive_Label: TLabel
          Left = 24
          Top = 24
          Caption = '使用CDドライブ'
        end
        object CDDrive: TComboBox
          Left = 232
          Top = 20
          Width = 120
          Style = csDropDownList
          OnChange = CDDriveChange
        end
        object AutoPlay_CheckBox: TCheckBox
          Left = 24
          Top = 48
          Width = 233
          Height = 17
          Caption = 'CDの挿入を関知したら自動的に再生する'
          OnClick = AutoPlay_CheckBoxClick
        end
        object AllPlay_CheckBox: TCheckBox
          Left = 24
          Top = 64
          Width = 329
          Height = 17
          Caption = '音楽CD以外でもCD-DAを使用していれば自動的に再生する'
          Enabled = False
          OnClick = CheckBoxClick
        end
        object RunPlay_CheckBox: TCheckBox
          Left = 24
          Top = 80
          Width = 281
          Height = 17
          Caption = '起動時に音楽CDが挿入されている場合は再生する'
          OnClick = CheckBoxClick
        end
      end
    end
    object RB_TabSheet: TTabSheet
      Caption = '右クリックの設定'
      object RBMenu_Box: TGroupBox
        Left = 7
        Top = 0
        Width = 394
        Height = 129
        Caption = '右クリックメニューの設定'
        object PowerOff_CheckBox: TCheckBox
          Left = 24
          Top = 24
          Width = 225
          Height = 17
          Caption = 'コンピュータのシャットダウンを追加する'
          Checked = True
          OnClick = ExitWin_CheckBoxClick
        end
        object Reboot_CheckBox: TCheckBox
          Left = 24
          Top = 40
          Width = 193
          Height = 17
          Caption = 'コンピュータの再起動を追加する'
          Checked = True
          OnClick = ExitWin_CheckBoxClick
        end
        object Restart_CheckBox: TCheckBox
          Left = 24
          Top = 56
          Width = 185
          Height = 17
          Caption = 'Windows9xの再起動を追加する'
          Checked = True
          OnClick = ExitWin_CheckBoxClick
        end
        object LogOff_CheckBox: TCheckBox
          Left = 24
          Top = 72
          Width = 193
          Height = 17
          Caption = 'Windowsからログオフを追加する'
          Checked = True
          OnClick = ExitWin_CheckBoxClick
        end
        object Dialog_CheckBox: TCheckBox
          Left = 24
          Top = 88
          Width = 153
          Height = 17
          Caption = '確認ダイアログを表示する'
          TabOrder = 5
          OnClick = CheckBoxClick
        end
        object RB_Spell_CheckBox: TCheckBox
          Left = 24
          Top = 104
          Width = 153
          Height = 17
          Caption = 'カタカナは半角を使用する'
          TabOrder = 4
          OnClick = CheckBoxClick
        end
      end
    end
    object Ver_TabSheet: TTabSheet
      Caption = 'バージョン情報'
      object Panel: TPanel
        Left = 7
        Top = 5
        Width = 394
        Height = 124
        object App_Name: TLabel
          Left = 113
          Top = 8
          Width = 167
          Height = 27
          Caption = 'Orvanta'
          Font.Color = clBlack
          Font.Height = -27
          Font.Style = [fsBold]
        end
        object Label1: TLabel
          Left = 149
          Top = 28
          Width = 97
          Height = 24
          Caption = 'Brevo'
          Font.Height = -24
          Font.Style = [fsBold]
        end
        object Ver_Text: TLabel
          Left = 157
          Top = 56
          Width = 81
          Height = 13
          Caption = 'Version 0.11.2'
          Font.Color = clBlack
          Font.Height = -13
        end
        object Copy_Text: TLabel
          Left = 106
          Top = 72
          Width = 182
          Height = 13
          Caption = 'Copyright (C) 2026 OrvantaBrevo'
          Font.Height = -13
        end
        object MailTitle_Label: TLabel
          Left = 75
          Top = 88
          Caption = 'E-mail'
        end
        object Mail_Label: TLabel
          Left = 147
          Top = 88
          Width = 108
          Height = 12
          Cursor = 1
          Caption = 'orvanta@example.jp'
          Font.Color = clBlue
          Font.Style = [fsUnderline]
          OnClick = Mail_LabelClick
        end
        object HomePageTitle_Label: TLabel
          Left = 75
          Top = 104
          Caption = 'HomePage'
        end
        object HomePage_Label: TLabel
          Left = 147
          Top = 104
          Width = 172
          Height = 12
          Cursor = 1
          Caption = 'http://www.example.jp/orvanta/'
          Font.Color = clBlue
          Font.Style = [fsUnderline]
          OnClick = HomePage_LabelClick
        end
      end
    end
  end
  object OK_Button: TButton
    Left = 55
    Top = 168
    Width = 97
    Height = 25
    Caption = 'OK'
    TabOrder = 3
    OnClick = OK_ButtonClick
  end
  object Cancel_Button: TButton
    Left = 159
    Top = 168
    Width = 97
    Height = 25
    Caption = 'キャンセル'
    TabOrder = 2
    OnClick = Cancel_ButtonClick
  end
  object Save_Button: TButton
    Left = 263
    Top = 168
    Width = 97
    Height = 25
    Caption = '設定の更新'
    TabOrder = 1
    OnClick = Save_ButtonClick
  end
  object MediaPlayer: TMediaPlayer
    DeviceType = dtCDAudio
    VisibleButtons = []
    Visible = False
    OnNotify = MediaPlayerNotify
  end
  object TrayIcon: TTrayIcon
    Icon = 'ZCD'
    LBPopupMenu = LBPopupMenu
    RBPopupMenu = RBPopupMenu
    TipHelp = 'Orvanta'
    Visible = True
  end
  object LBPopupMenu: TPopupMenu
    object Play: TMenuItem
      Caption = '再生(&P)'
      OnClick = PlayClick
    end
    object Stop: TMenuItem
      Caption = '停止(&S)'
      OnClick = StopClick
    end
    object Pause: TMenuItem
      Caption = '一時停止(&U)'
      Enabled = False
      OnClick = PauseClick
    end
    object N2: TMenuItem
      Caption = '-'
    end
    object Next: TMenuItem
      Caption = '次の曲(&N)'
      OnClick = NextClick
    end
    object Previous: TMenuItem
      Caption = '前の曲(&V)'
      OnClick = PreviousClick
    end
    object N4: TMenuItem
      Caption = '-'
    end
    object All_Repeat: TMenuItem
      Caption = '全曲リピート(&A)'
      OnClick = All_RepeatClick
    end
    object N3: TMenuItem
      Caption = '-'
    end
    object Eject: TMenuItem
      Caption = 'CDの取り出し(&E)'
      OnClick = EjectClick
    end
  end
  object RBPopupMenu: TPopupMenu
    object PowerOff: TMenuItem
      Caption = 'シャットダウン'
      OnClick = PowerOffClick
    end
    object Reboot: TMenuItem
      Caption = '再起動'
      OnClick = RebootClick
    end
    object Restart: TMenuItem
      Caption = 'Windows9xの再起動'
      OnClick = RestartClick
    end
    object LogOff: TMenuItem
      Caption = 'ログオフ'
      OnClick = LogOffClick
    end
    object N1: TMenuItem
      Caption = '-'
    end
    object Version: TMenuItem
      Caption = 'プロパティ(&R)'
      OnClick = VersionClick
    end
    object N5: TMenuItem
      Caption = '-'
    end
    object Exit: TMenuItem
      Caption = 'OrvantaBrevoの終了(&X)'
      OnClick = ExitClick
    end
  end
  object ExitWin: TExitWin
  end
  object Insert: TTimer
    Interval = 3000
    OnTimer = InsertTimer
  end
  object CDCheck: TTimer
    Enabled = False
    Interval = 1500
    OnTimer = CDCheckTimer
  end
end
)";
